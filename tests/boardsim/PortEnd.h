#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

// The program's end of the simulated board's line, opened the plain POSIX way through the
// COM<n> link. Reads are non-blocking; waiting is done on the event loop, so the board in
// the same thread keeps running.
class PortEnd
{
public:
    explicit PortEnd(const QString &path)
        : m_fd(::open(QFile::encodeName(path).constData(),
                      O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {}
    ~PortEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PortEnd(const PortEnd &) = delete;
    PortEnd &operator=(const PortEnd &) = delete;

    bool isOpen() const { return m_fd >= 0; }

    // Writes all bytes; false with lastError() set when the device refuses them.
    bool write(const QByteArray &bytes)
    {
        const ssize_t count = ::write(m_fd, bytes.constData(), std::size_t(bytes.size()));
        m_lastError = count < 0 ? errno : 0;
        return count == bytes.size();
    }

    // Waits until at least `count` bytes have been received and not yet taken.
    bool waitForBytes(qsizetype count, int timeout = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                pull();
                return m_received.size() >= count;
            },
            timeout);
    }

    // Everything received so far, removed from the end.
    QByteArray take()
    {
        pull();
        QByteArray bytes;
        bytes.swap(m_received);
        return bytes;
    }

    int lastError() const { return m_lastError; }

private:
    void pull()
    {
        char buffer[1024];
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer, sizeof buffer);
            if (count <= 0) {
                m_lastError = count < 0 ? errno : 0;
                return;
            }
            m_received.append(buffer, count);
        }
    }

    int m_fd = -1;
    int m_lastError = 0;
    QByteArray m_received;
};

// The board's request and command frames, spelled out as bytes.
inline QByteArray commandFrame(const char code[2], quint8 argument)
{
    QByteArray frame("$");
    frame.append(code, 2);
    frame.append(char(argument));
    frame.append('\r');
    return frame;
}

inline QByteArray statusRequest()
{
    return QByteArrayLiteral("$;;;\r");
}
