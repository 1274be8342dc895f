#include "UnixConnection.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr qsizetype readChunk = 16 * 1024;

} // namespace

UnixConnection::UnixConnection(int socket, QObject *parent)
    : QIODevice(parent)
    , m_socket(socket)
    , m_readable(new QSocketNotifier(socket, QSocketNotifier::Read, this))
    , m_writable(new QSocketNotifier(socket, QSocketNotifier::Write, this))
{
    // Unbuffered: this class holds what is read, so its read limit is the only one.
    QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered);
    m_writable->setEnabled(false);
    connect(m_readable, &QSocketNotifier::activated, this, &UnixConnection::readFromSocket);
    connect(m_writable, &QSocketNotifier::activated, this, &UnixConnection::writeToSocket);
}

UnixConnection::~UnixConnection()
{
    if (m_socket >= 0)
        ::close(m_socket); // nobody is left to be told
}

void UnixConnection::setReadBufferSize(qint64 bytes)
{
    m_readLimit = bytes;
}

qint64 UnixConnection::bytesAvailable() const
{
    return unread() + QIODevice::bytesAvailable();
}

qint64 UnixConnection::bytesToWrite() const
{
    return m_writeBuffer.size() - m_writeHead;
}

bool UnixConnection::canReadLine() const
{
    return std::memchr(m_readBuffer.constData() + m_readHead, '\n', std::size_t(unread())) ||
           QIODevice::canReadLine();
}

qint64 UnixConnection::readData(char *data, qint64 maxSize)
{
    const qsizetype count = qsizetype(std::min<qint64>(maxSize, unread()));
    std::memcpy(data, m_readBuffer.constData() + m_readHead, std::size_t(count));
    consumed(count);
    // A closed connection with nothing left reads as the end; an open one as "nothing yet".
    return count == 0 && m_state == State::Unconnected ? -1 : count;
}

qint64 UnixConnection::readLineData(char *data, qint64 maxSize)
{
    const char *begin = m_readBuffer.constData() + m_readHead;
    const qsizetype span = qsizetype(std::min<qint64>(maxSize, unread()));
    const auto *feed = static_cast<const char *>(std::memchr(begin, '\n', std::size_t(span)));
    const qsizetype count = feed ? feed - begin + 1 : span;
    std::memcpy(data, begin, std::size_t(count));
    consumed(count);
    return count;
}

void UnixConnection::consumed(qsizetype bytes)
{
    m_readHead += bytes;
    if (m_readHead == m_readBuffer.size()) {
        m_readBuffer.clear();
        m_readHead = 0;
    } else if (m_readHead > m_readBuffer.size() / 2) {
        m_readBuffer.remove(0, m_readHead);
        m_readHead = 0;
    }
    // Reading made room again: what the system holds may come in.
    if (m_state == State::Connected && bytes > 0)
        m_readable->setEnabled(true);
}

qint64 UnixConnection::writeData(const char *data, qint64 size)
{
    if (m_state != State::Connected)
        return -1;
    m_writeBuffer.append(data, qsizetype(size));
    m_writable->setEnabled(true); // written from the event loop, as the peer takes it
    return size;
}

void UnixConnection::readFromSocket()
{
    // One read a turn of the event loop: a peer that floods shares the loop with the rest.
    qsizetype room = readChunk;
    if (m_readLimit > 0)
        room = qsizetype(std::min<qint64>(room, m_readLimit - unread()));
    if (room <= 0) {
        m_readable->setEnabled(false); // until something is read
        return;
    }
    const qsizetype before = m_readBuffer.size();
    m_readBuffer.resize(before + room);
    const ssize_t n = ::recv(m_socket, m_readBuffer.data() + before, std::size_t(room), 0);
    const int error = errno;
    m_readBuffer.resize(before + std::max<qsizetype>(n, 0));
    if (n > 0) {
        Q_EMIT readyRead();
        return;
    }
    if (n < 0 && (error == EINTR || error == EAGAIN || error == EWOULDBLOCK))
        return;
    // 0: the peer has ended its side; any other error ends ours. A peer that only ended its
    // sending side still gets what is already written to it.
    disconnectFromServer();
}

void UnixConnection::writeToSocket()
{
    while (bytesToWrite() > 0) {
        const ssize_t n = ::send(m_socket, m_writeBuffer.constData() + m_writeHead,
                                 std::size_t(bytesToWrite()), MSG_NOSIGNAL);
        if (n > 0) {
            m_writeHead += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The notifier says when the peer takes more. What went out is let go of, so a
            // peer that reads slowly but for ever does not grow the buffer for ever.
            if (m_writeHead > m_writeBuffer.size() / 2) {
                m_writeBuffer.remove(0, m_writeHead);
                m_writeHead = 0;
            }
            return;
        }
        closeSocket(); // the peer is gone
        return;
    }
    m_writeBuffer.clear();
    m_writeHead = 0;
    m_writable->setEnabled(false);
    if (m_state == State::Closing)
        closeSocket();
}

void UnixConnection::disconnectFromServer()
{
    if (m_state != State::Connected)
        return;
    if (bytesToWrite() == 0) {
        closeSocket();
        return;
    }
    m_state = State::Closing;
    m_readable->setEnabled(false);
}

void UnixConnection::abort()
{
    closeSocket();
}

void UnixConnection::closeSocket()
{
    if (m_state == State::Unconnected)
        return;
    m_state = State::Unconnected;
    m_writeBuffer.clear(); // nothing more can go out
    m_writeHead = 0;
    m_readable->setEnabled(false);
    m_writable->setEnabled(false);
    ::close(m_socket);
    m_socket = -1;
    Q_EMIT disconnected(); // what was read and not yet taken can still be read
}

void UnixConnection::close()
{
    abort();
    QIODevice::close();
}
