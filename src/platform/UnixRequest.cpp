#include "UnixRequest.h"

#include "UnixAddress.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A reply line of the panel's is a few bytes; one far longer is not an answer.
constexpr qsizetype longestLine = 64 * 1024;

// Waits for `events` on `socket` until the deadline; true when they came.
bool await(int socket, short events, const QDeadlineTimer &deadline)
{
    for (;;) {
        pollfd watched{socket, events, 0};
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

} // namespace

std::optional<QByteArray> UnixRequest::firstLine(const QString &path, const QByteArray &request,
                                                 int patienceMs)
{
    const QDeadlineTimer deadline(patienceMs);
    sockaddr_un address;
    if (!toUnixAddress(path, address))
        return std::nullopt;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0)
        return std::nullopt;
    const auto closeSocket = qScopeGuard([socket] { ::close(socket); });
    // A listener whose backlog is full refuses at once (EAGAIN) rather than making us wait.
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        return std::nullopt;

    for (qsizetype sent = 0; sent < request.size();) {
        if (!await(socket, POLLOUT, deadline))
            return std::nullopt;
        const ssize_t n = ::send(socket, request.constData() + sent,
                                 std::size_t(request.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return std::nullopt;
        sent += std::max<ssize_t>(n, 0);
    }

    QByteArray reply;
    for (;;) {
        const qsizetype feed = reply.indexOf('\n');
        if (feed >= 0)
            return reply.left(feed + 1);
        if (reply.size() > longestLine || !await(socket, POLLIN, deadline))
            return std::nullopt;
        char chunk[512];
        const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
        if (n == 0)
            return std::nullopt; // ended without a whole line
        if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK)
            return std::nullopt;
        reply.append(chunk, std::max<qsizetype>(n, 0));
    }
}
