#pragma once

#include <QByteArray>
#include <QObject>

class ControlCore;
class QLocalSocket;
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
    // Bytes of requests handled in one turn of the event loop, at least one line: a client
    // that sends many at once shares the loop with the window and the other clients.
    static constexpr qsizetype requestBytesPerTurn = 16 * 1024;

    // Takes ownership of the socket.
    ControlClient(QLocalSocket *socket, ControlCore &core, int idleTimeoutMs,
                  QObject *parent = nullptr);

    // Asked for frame events with "watch".
    bool isWatching() const { return m_watching; }
    // Writes one line, unless the connection is going or gone.
    void send(const QByteArray &line);
    // Says why and ends the connection once what is written has gone out.
    void refuse(const QString &code, const QString &message);

private:
    void readLines();
    void readLinesLater();
    void handleLine(const QByteArray &line);
    void answer(const QJsonObject &reply);
    void idleTimeout();

    QLocalSocket *m_socket;
    ControlCore &m_core;
    QTimer *m_idle;
    bool m_watching = false;
    bool m_waitingForReply = false;
    bool m_reading = false;
    bool m_closing = false;
    bool m_readQueued = false;
};
