#pragma once

#include <QByteArray>
#include <QObject>
#include <deque>

class ControlCore;
class QLocalSocket;
class QTimer;

// One connection to the control socket: reads its request lines, hands each to the core as it
// comes and writes the replies in the order of the requests, each once it and those before it
// are answered. A relay command waiting for the line thus holds back only the replies behind
// it, and a script's burst of commands reaches the core together, where a burst for one relay
// collapses to its last wish. Everything it is sent is bounded: a line longer than
// maxLineLength, more than maxPendingReplies requests unanswered (the rest wait in the
// system), a client that asks nothing for the idle time, or one that stops reading what it
// is sent, ends the connection or waits. It deletes itself when the connection ends.
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
    // Requests handed to the core whose replies have not gone out yet.
    static constexpr int maxPendingReplies = 256;

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
    void answer(quint64 request, const QJsonObject &reply);
    void writeAnswered();
    void idleTimeout();

    struct Pending
    {
        QByteArray reply; // empty until answered
        bool watch = false;
    };

    QLocalSocket *m_socket;
    ControlCore &m_core;
    QTimer *m_idle;
    bool m_watching = false;
    std::deque<Pending> m_pending; // in the order of the requests
    quint64 m_firstPending = 0;    // the number of the request at the front
    bool m_reading = false;
    bool m_closing = false;
    bool m_readQueued = false;
};
