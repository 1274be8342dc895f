#pragma once

// The other end of the panel's local socket as a plain POSIX program has it: blocking Unix
// stream sockets, with nothing of Qt's between the test and the system.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace UnixPeer {

inline bool addressOf(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || std::size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    return true;
}

// A socket bound to `path` and listening; -1 when that fails.
inline int listenAt(const QString &path)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(socket, 4) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// A client socket connected to `path`; -1 when none answers there.
inline int connectTo(const QString &path)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

inline bool sendAll(int socket, const QByteArray &bytes)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(socket, bytes.constData() + sent, std::size_t(bytes.size() - sent),
                                 MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR)
            return false;
        sent += std::max<ssize_t>(n, 0);
    }
    return true;
}

// Everything the other end sends until it ends the connection.
inline QByteArray readToEnd(int socket)
{
    QByteArray all;
    char chunk[4096];
    for (ssize_t n; (n = ::recv(socket, chunk, sizeof chunk, 0)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        all.append(chunk, n);
    }
    return all;
}

} // namespace UnixPeer
