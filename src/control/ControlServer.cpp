#include "ControlServer.h"

#include "ControlClient.h"
#include "ControlCore.h"
#include "ControlReplies.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <algorithm>

ControlServer::ControlServer(QLocalServer *server, ControlCore &core, QObject *parent)
    : QObject(parent)
    , m_server(server)
    , m_core(core)
{
    connect(&core, &ControlCore::frameShown, this, &ControlServer::sendFrame);
    if (!server)
        return;
    server->setMaxPendingConnections(maxClients);
    connect(server, &QLocalServer::newConnection, this, &ControlServer::accept);
    accept(); // connections made before this server took over
}

int ControlServer::watcherCount() const
{
    return int(std::count_if(m_clients.begin(), m_clients.end(),
                             [](const ControlClient *client) { return client->isWatching(); }));
}

void ControlServer::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_clients.size() >= std::size_t(maxClients)) {
            // Told why, and nothing it sent is read.
            socket->write(ControlReplies::line(ControlReplies::failed(
                QStringLiteral("too-many-clients"),
                QStringLiteral("the panel serves %1 connections at once: try again when one "
                               "has ended")
                    .arg(maxClients))));
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            continue;
        }
        auto *client = new ControlClient(socket, m_core, m_idleTimeoutMs, this);
        m_clients.push_back(client);
        connect(client, &QObject::destroyed, this, [this, client] {
            m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client),
                            m_clients.end());
        });
    }
}

void ControlServer::sendFrame()
{
    if (watcherCount() == 0)
        return; // no status is read for nobody
    const QByteArray event = ControlReplies::line(ControlReplies::frameEvent(m_core.status()));
    for (ControlClient *client : m_clients)
        if (client->isWatching())
            client->send(event);
}
