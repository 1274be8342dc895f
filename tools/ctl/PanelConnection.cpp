#include "PanelConnection.h"

#include <QJsonDocument>

namespace {

constexpr int connectPatienceMs = 5000;
// A relay command may wait for the guard up to one poll interval (5 s at most) first.
constexpr int replyPatienceMs = 15000;
// No line of the panel's is near this long; a longer one is not from a panel.
constexpr qint64 longestLine = 1024 * 1024;

} // namespace

PanelConnection::Outcome PanelConnection::connectTo(const QString &path)
{
    m_socket.connectToServer(path);
    if (m_socket.waitForConnected(connectPatienceMs))
        return Outcome::Connected;
    if (m_socket.error() == QLocalSocket::SocketAccessError) {
        m_message = QStringLiteral("%1 belongs to another user: run tarnwick-ctl as the user "
                                   "who runs the panel")
                        .arg(path);
        return Outcome::NotAllowed;
    }
    switch (m_socket.error()) {
    case QLocalSocket::ServerNotFoundError:
        m_message = QStringLiteral("no socket at %1").arg(path);
        break;
    case QLocalSocket::ConnectionRefusedError:
        m_message = QStringLiteral("%1 is left from a panel that has ended").arg(path);
        break;
    default:
        m_message = QStringLiteral("%1: %2").arg(path, m_socket.errorString());
        break;
    }
    return Outcome::NoPanel;
}

std::optional<QJsonObject> PanelConnection::request(const QJsonObject &request)
{
    m_socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    const QDeadlineTimer deadline(replyPatienceMs);
    while (const std::optional<QJsonObject> line = readObject(deadline))
        if (line->contains(QLatin1String("ok")))
            return line;
    if (!m_gone)
        m_message =
            QStringLiteral("the panel did not answer within %1 s").arg(replyPatienceMs / 1000);
    return std::nullopt;
}

std::optional<QJsonObject> PanelConnection::nextFrame(QDeadlineTimer deadline)
{
    while (const std::optional<QJsonObject> line = readObject(deadline))
        if (line->value(QLatin1String("event")).toString() == QLatin1String("frame"))
            return line->value(QLatin1String("status")).toObject();
    return std::nullopt;
}

std::optional<QJsonObject> PanelConnection::readObject(QDeadlineTimer deadline)
{
    for (;;) {
        if (m_socket.canReadLine()) {
            const QJsonDocument document = QJsonDocument::fromJson(m_socket.readLine(longestLine));
            if (document.isObject())
                return document.object();
            continue; // not a line of the protocol: skipped
        }
        if (m_socket.state() != QLocalSocket::ConnectedState ||
            m_socket.bytesAvailable() > longestLine) {
            m_gone = true;
            m_message = QStringLiteral("the panel closed the connection");
            return std::nullopt;
        }
        if (deadline.hasExpired())
            return std::nullopt;
        const qint64 left = deadline.remainingTime();
        // remainingTime() is -1 for a deadline that never expires.
        m_socket.waitForReadyRead(left < 0 ? -1 : int(std::min<qint64>(left, 60000)));
    }
}
