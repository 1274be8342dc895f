#pragma once

#include <QByteArray>
#include <QObject>

class ControlCore;
class UnixConnection;
class QTimer;

// One connection to the control socket: reads its request lines one at a time, hands each
// to the core and writes the reply. Everything it is sent is bounded: a line longer than
// maxLineLength, a client that asks nothing for the idle time, or one that stops reading
// what it is sent, ends the connection. It deletes itself when the connection ends.
class ControlClient : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype maxLineLength = 64 * 1024; // bytes, without the line feed
    // Replies and frame events not yet taken by a client that has stopped reading.
    static constexpr qint64 maxUnreadBytes = 1024 * 1024;

    // Takes ownership of the socket.
    ControlClient(UnixConnection *socket, ControlCore &core, int idleTimeoutMs,
                  QObject *parent = nullptr);

    // Asked for frame events with "watch".
    bool isWatching() const { return m_watching; }
    // Writes one line, unless the connection is going or gone.
    void send(const QByteArray &line);
    // Says why and ends the connection once what is written has gone out.
    void refuse(const QString &code, const QString &message);

private:
    void readLines();
    void handleLine(const QByteArray &line);
    void answer(const QJsonObject &reply);
    void idleTimeout();

    UnixConnection *m_socket;
    ControlCore &m_core;
    QTimer *m_idle;
    bool m_watching = false;
    bool m_waitingForReply = false;
    bool m_reading = false;
    bool m_closing = false;
};
