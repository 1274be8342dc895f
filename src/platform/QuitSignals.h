#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP (a logout, a closed terminal, `kill`) into a Qt signal
// on the event loop (a pipe written by the handler), so the program ends through its normal
// path: the panel saves its settings and releases the port, the simulated board removes its
// link. SIGPIPE is ignored: a closed output must not kill the program.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
