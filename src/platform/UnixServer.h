#pragma once

#include <QObject>
#include <QString>
#include <deque>

class QSocketNotifier;
class UnixConnection;

// A Unix stream socket listening at a file path, its connections handed out as
// UnixConnection: what the panel's control socket needs of QLocalServer.
class UnixServer : public QObject
{
    Q_OBJECT

public:
    explicit UnixServer(QObject *parent = nullptr);
    ~UnixServer() override; // closes

    // Listens at `path`, readable and writable by the user alone. A file left at the path is
    // replaced: the caller owns the path (the panel holds its lock).
    bool listen(const QString &path);
    // Stops listening and removes the socket file.
    void close();
    QString errorString() const { return m_error; }

    // Connections are taken from the system while fewer than this wait to be handed out.
    void setMaxPendingConnections(int count);
    // The next waiting connection, a child of this server; null when none waits.
    UnixConnection *nextPendingConnection();

Q_SIGNALS:
    void newConnection();

private:
    void acceptConnections();

    int m_socket = -1;
    QString m_path;
    QString m_error;
    QSocketNotifier *m_incoming = nullptr;
    std::deque<UnixConnection *> m_pending;
    std::size_t m_maxPending = 30;
};
