#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGINT and SIGTERM into a Qt signal on the event loop (a pipe written by the
// handler), so the program ends through its normal path and its destructors remove the
// link. SIGPIPE is ignored: a closed output must not kill the board.
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
