#pragma once

#include <QByteArray>
#include <QObject>

class QSocketNotifier;

// Reads standard input without blocking the event loop and hands it on line by line. At
// end of input it stops listening and says so once; the program goes on running.
class StdinLines : public QObject
{
    Q_OBJECT

public:
    explicit StdinLines(QObject *parent = nullptr);

Q_SIGNALS:
    void lineRead(const QString &line);
    void finished();

private:
    void readAvailable();
    void finish();

    QSocketNotifier *m_notifier = nullptr;
    QByteArray m_pending;
};
