#include "ControlClient.h"

#include "ControlCore.h"
#include "ControlReplies.h"
#include "ControlRequest.h"

#include <QLocalSocket>
#include <QPointer>
#include <QScopedValueRollback>
#include <QTimer>

ControlClient::ControlClient(QLocalSocket *socket, ControlCore &core, int idleTimeoutMs,
                             QObject *parent)
    : QObject(parent)
    , m_socket(socket)
    , m_core(core)
    , m_idle(new QTimer(this))
{
    setObjectName(QStringLiteral("controlClient"));
    socket->setParent(this);
    // Qt stops taking bytes from the system once a line's worth waits unread, so a flood
    // costs the panel no memory.
    socket->setReadBufferSize(maxLineLength + 2);
    m_idle->setSingleShot(true);
    m_idle->setInterval(idleTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, &ControlClient::idleTimeout);
    connect(socket, &QLocalSocket::readyRead, this, &ControlClient::readLines);
    connect(socket, &QLocalSocket::disconnected, this, &QObject::deleteLater);
    m_idle->start();
    readLines(); // what arrived with the connection
}

void ControlClient::send(const QByteArray &line)
{
    if (m_closing || m_socket->state() != QLocalSocket::ConnectedState)
        return;
    m_socket->write(line);
    // Handed to the system now rather than at the next turn of the event loop: a client that
    // has ended its sending side is let go as soon as its end is read, and by then its
    // replies are on their way.
    m_socket->flush();
    if (m_socket->bytesToWrite() > maxUnreadBytes) {
        // A client that does not read would hold the panel's memory without end.
        m_closing = true;
        m_socket->abort();
    }
}

void ControlClient::refuse(const QString &code, const QString &message)
{
    send(ControlReplies::line(ControlReplies::failed(code, message)));
    m_closing = true;
    m_idle->stop();
    m_socket->disconnectFromServer();
}

void ControlClient::readLines()
{
    const QScopedValueRollback reading(m_reading, true);
    for (qsizetype handled = 0; !m_closing && int(m_pending.size()) < maxPendingReplies;) {
        if (!m_socket->canReadLine()) {
            if (m_socket->bytesAvailable() > maxLineLength)
                refuse(QStringLiteral("too-long"),
                       QStringLiteral("a request line is at most %1 bytes").arg(maxLineLength));
            return;
        }
        if (handled >= requestBytesPerTurn) {
            // The rest wait in the socket's bounded buffer for the next turn.
            readLinesLater();
            return;
        }
        QByteArray line = m_socket->readLine(maxLineLength + 2);
        if (!line.endsWith('\n') || line.size() > maxLineLength + 1) {
            refuse(QStringLiteral("too-long"),
                   QStringLiteral("a request line is at most %1 bytes").arg(maxLineLength));
            return;
        }
        handled += line.size();
        line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        m_idle->start();
        handleLine(line);
    }
}

void ControlClient::readLinesLater()
{
    if (m_readQueued)
        return;
    m_readQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readQueued = false;
            readLines();
        },
        Qt::QueuedConnection);
}

void ControlClient::handleLine(const QByteArray &line)
{
    const quint64 number = m_firstPending + m_pending.size();
    m_pending.emplace_back();
    const auto parsed = ControlRequest::parse(line);
    if (const auto *failure = std::get_if<ControlRequest::Failure>(&parsed))
        return answer(number, ControlReplies::failed(failure->code, failure->message));
    const ControlRequest::Request &request = std::get<ControlRequest::Request>(parsed);
    // Frame events begin after the reply to "watch", behind the replies before it.
    m_pending.back().watch = request.command == ControlRequest::Command::Watch;
    // The reply may come after this client has gone; then it is dropped.
    m_core.handle(request, [self = QPointer(this), number](const QJsonObject &reply) {
        if (self)
            self->answer(number, reply);
    });
}

void ControlClient::answer(quint64 request, const QJsonObject &reply)
{
    m_pending[std::size_t(request - m_firstPending)].reply = ControlReplies::line(reply);
    writeAnswered();
    m_idle->start();
    // A reply that came later, from a timer: the lines that waited for room are read now,
    // outside the core's call.
    if (!m_reading)
        readLinesLater();
}

void ControlClient::writeAnswered()
{
    while (!m_pending.empty() && !m_pending.front().reply.isEmpty()) {
        const Pending answered = std::move(m_pending.front());
        m_pending.pop_front();
        ++m_firstPending;
        send(answered.reply);
        if (answered.watch)
            m_watching = true;
    }
}

void ControlClient::idleTimeout()
{
    if (m_watching || !m_pending.empty()) {
        m_idle->start();
        return;
    }
    refuse(
        QStringLiteral("idle"),
        QStringLiteral("no request for %1 s: connection closed").arg(m_idle->interval() / 1000.0));
}
