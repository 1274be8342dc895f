#include "UnixServer.h"

#include "UnixAddress.h"
#include "UnixConnection.h"

#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Out of file descriptors, the system keeps the connection waiting; looking again at once
// would spin.
constexpr int retryAfterMs = 100;

QString systemError(const char *what, int error)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

UnixServer::UnixServer(QObject *parent)
    : QObject(parent)
{}

UnixServer::~UnixServer()
{
    close();
}

bool UnixServer::listen(const QString &path)
{
    close();
    sockaddr_un address;
    if (!toUnixAddress(path, address)) {
        m_error = QStringLiteral("the path is too long for a socket");
        return false;
    }
    m_socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_socket < 0) {
        m_error = systemError("socket", errno);
        return false;
    }
    ::unlink(address.sun_path);
    if (::bind(m_socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::chmod(address.sun_path, 0600) != 0 || ::listen(m_socket, SOMAXCONN) != 0) {
        m_error = systemError("listen", errno);
        ::close(m_socket);
        m_socket = -1;
        ::unlink(address.sun_path);
        return false;
    }
    m_path = path;
    m_incoming = new QSocketNotifier(m_socket, QSocketNotifier::Read, this);
    connect(m_incoming, &QSocketNotifier::activated, this, &UnixServer::acceptConnections);
    return true;
}

void UnixServer::close()
{
    if (m_socket < 0)
        return;
    delete m_incoming;
    m_incoming = nullptr;
    ::close(m_socket);
    m_socket = -1;
    QFile::remove(m_path);
    m_path.clear();
}

void UnixServer::setMaxPendingConnections(int count)
{
    m_maxPending = std::size_t(std::max(count, 1));
}

UnixConnection *UnixServer::nextPendingConnection()
{
    if (m_pending.empty())
        return nullptr;
    UnixConnection *connection = m_pending.front();
    m_pending.pop_front();
    if (m_incoming)
        m_incoming->setEnabled(true); // there is room again
    return connection;
}

void UnixServer::acceptConnections()
{
    const std::size_t before = m_pending.size();
    while (m_pending.size() < m_maxPending) {
        const int socket = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket >= 0) {
            m_pending.push_back(new UnixConnection(socket, this));
            continue;
        }
        if (errno == EINTR || errno == ECONNABORTED)
            continue;
        if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            m_incoming->setEnabled(false);
            QTimer::singleShot(retryAfterMs, this, [this] {
                if (m_incoming)
                    m_incoming->setEnabled(true);
            });
        }
        break; // EAGAIN: none waits
    }
    if (m_pending.size() >= m_maxPending)
        m_incoming->setEnabled(false); // until one is handed out
    if (m_pending.size() > before)
        Q_EMIT newConnection();
}
