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

    // Lines for the broker's listener (TLS files), and whether it lets clients in without a
    // name; both count from the next start().
    void setListenerOptions(const QByteArray &lines) { m_listenerOptions = lines; }
    void setAnonymous(bool anonymous, const QString &passwordFile = QString())
    {
        m_anonymous = anonymous;
        m_passwordFile = passwordFile;
    }

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
    QByteArray m_listenerOptions;
    bool m_anonymous = true;
    QString m_passwordFile;
    QString m_error;
};
