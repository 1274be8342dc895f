#pragma once

#include <QObject>
#include <vector>

class ControlClient;
class ControlCore;
class QLocalServer;

// The control socket: the panel's local server, whose connections it takes and hands to
// ControlClient, and the frame events it sends to every watching client.
class ControlServer : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxClients = 64;
    static constexpr int defaultIdleTimeoutMs = 10000;

    // Takes the connections of `server` from now on; a null server gives a control socket
    // that never hears from anyone (the panel could not listen).
    ControlServer(QLocalServer *server, ControlCore &core, QObject *parent = nullptr);

    // How long a connection may stay without a request, unless it is watching.
    void setIdleTimeout(int milliseconds) { m_idleTimeoutMs = milliseconds; }

    int clientCount() const { return int(m_clients.size()); }
    int watcherCount() const;

private:
    void accept();
    void sendFrame();

    QLocalServer *m_server;
    ControlCore &m_core;
    int m_idleTimeoutMs = defaultIdleTimeoutMs;
    std::vector<ControlClient *> m_clients;
};
