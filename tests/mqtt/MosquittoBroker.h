#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real mosquitto of the test's own, on a free loopback port, with nothing kept between
// its runs (a restarted broker has no retained message: what a client sees after a restart
// is what was published again).
class MosquittoBroker
{
public:
    MosquittoBroker();
    ~MosquittoBroker();

    // Starts the broker and waits until it takes connections; the port stays the same for
    // every start of this object.
    bool start();
    // Ends it and waits until it has ended.
    void stop();
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    int port() const { return m_port; }
    QString errorString() const { return m_error; }

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
    QString m_error;
};
