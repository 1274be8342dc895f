#include "MqttConnection.h"

#include "MosquittoLibrary.h"

#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

using namespace std::chrono_literals;

namespace {

constexpr int keepAliveSeconds = 30;
constexpr int loopWaitMs = 1000;
constexpr auto firstRetry = 1s;
constexpr auto longestRetry = 60s;
constexpr auto finishLimit = 3s;

QByteArray utf8OrNull(const QString &text)
{
    return text.isEmpty() ? QByteArray() : text.toUtf8();
}

const char *orNull(const QByteArray &text)
{
    return text.isNull() ? nullptr : text.constData();
}

} // namespace

MqttConnection::MqttConnection(const MqttEndpoint &endpoint, QObject *parent)
    : QObject(parent)
    , m_endpoint(endpoint)
{}

MqttConnection::~MqttConnection()
{
    finish();
    if (m_client)
        m_library->destroy(m_client);
}

bool MqttConnection::start(QString *problem)
{
    m_library = MosquittoLibrary::get(problem);
    if (!m_library) {
        *problem = QStringLiteral("libmosquitto cannot be loaded: %1").arg(*problem);
        return false;
    }
    const QByteArray clientId = utf8OrNull(m_endpoint.clientId);
    m_client = m_library->newClient(orNull(clientId), true, this);
    if (!m_client) {
        *problem = QStringLiteral("the MQTT client cannot be made");
        return false;
    }
    // The network thread is ours, not mosquitto_loop_start's: this tells the library that
    // other threads publish, so it hands their messages to the loop instead of writing them.
    m_library->threadedSet(m_client, true);
    m_library->connectCallbackSet(m_client, &MqttConnection::onConnect);
    m_library->disconnectCallbackSet(m_client, &MqttConnection::onDisconnect);
    m_library->messageCallbackSet(m_client, &MqttConnection::onMessage);
    m_library->logCallbackSet(m_client, &MqttConnection::onLog);
    if (!m_endpoint.username.isEmpty()) {
        const QByteArray user = m_endpoint.username.toUtf8();
        const QByteArray password = utf8OrNull(m_endpoint.password);
        m_library->usernamePwSet(m_client, user.constData(), orNull(password));
    }
    if (!m_endpoint.tlsCaFile.isEmpty()) {
        // The library answers a file it cannot read with "Invalid function arguments".
        const QFileInfo ca(m_endpoint.tlsCaFile);
        if (!ca.isFile() || !ca.isReadable()) {
            *problem = QStringLiteral("tls_ca_file %1: %2")
                           .arg(m_endpoint.tlsCaFile, ca.exists() ? QStringLiteral("cannot be read")
                                                                  : QStringLiteral("no such file"));
            return false;
        }
        const QByteArray caFile = m_endpoint.tlsCaFile.toLocal8Bit();
        const int result =
            m_library->tlsSet(m_client, caFile.constData(), nullptr, nullptr, nullptr, nullptr);
        if (result != MOSQ_ERR_SUCCESS) {
            *problem =
                QStringLiteral("tls_ca_file %1: %2")
                    .arg(m_endpoint.tlsCaFile, QString::fromUtf8(m_library->strerror(result)));
            return false;
        }
    }
    if (!m_endpoint.willTopic.isEmpty()) {
        const QByteArray topic = m_endpoint.willTopic.toUtf8();
        m_library->willSet(m_client, topic.constData(), int(m_endpoint.willPayload.size()),
                           m_endpoint.willPayload.constData(), 1, true);
    }
    m_thread = std::thread(&MqttConnection::run, this);
    return true;
}

bool MqttConnection::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    if (!m_client || !m_connected)
        return false;
    const QByteArray name = topic.toUtf8();
    return m_library->publish(m_client, nullptr, name.constData(), int(payload.size()),
                              payload.constData(), 0, retain) == MOSQ_ERR_SUCCESS;
}

void MqttConnection::subscribe(const QStringList &topics)
{
    if (!m_client || !m_connected)
        return;
    for (const QString &topic : topics) {
        const QByteArray pattern = topic.toUtf8();
        m_library->subscribe(m_client, nullptr, pattern.constData(), 1);
    }
}

void MqttConnection::finish(const QString &topic, const QByteArray &payload)
{
    if (!m_thread.joinable())
        return;
    if (!topic.isEmpty()) {
        const QByteArray name = topic.toUtf8();
        m_library->publish(m_client, nullptr, name.constData(), int(payload.size()),
                           payload.constData(), 1, true);
    }
    // The loop writes what is queued in order, the disconnect last, then finds the
    // connection closed and ends.
    m_library->disconnect(m_client);
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_stopBy = std::chrono::steady_clock::now() + finishLimit;
    }
    m_wake.notify_all();
    m_thread.join();
    m_connected = false;
}

void MqttConnection::run()
{
    auto retry = firstRetry;
    const QByteArray host = m_endpoint.host.toUtf8();
    for (;;) {
        {
            const std::lock_guard lock(m_mutex);
            if (m_stopping)
                return;
        }
        m_refusal.clear();
        m_tlsError.clear();
        // Asynchronous: the socket's connect does not wait here, the loop finishes it.
        int result =
            m_library->connectAsync(m_client, host.constData(), m_endpoint.port, keepAliveSeconds);
        int error = errno;
        if (result == MOSQ_ERR_SUCCESS) {
            // A long wait: a message to send wakes the loop at once, and an idle panel should
            // not pay for a thread that wakes for nothing.
            while ((result = m_library->loop(m_client, loopWaitMs, 1)) == MOSQ_ERR_SUCCESS) {
                const std::lock_guard lock(m_mutex);
                if (m_stopping && std::chrono::steady_clock::now() > m_stopBy)
                    return;
            }
            error = errno;
        }
        if (m_sessionUp.exchange(false)) {
            retry = firstRetry; // a session that came up starts the back-off afresh
        } else {
            {
                const std::lock_guard lock(m_mutex);
                if (m_stopping)
                    return;
            }
            // Refused by the broker, or it never answered: then the socket or TLS says why.
            const QString reason = m_refusal.isEmpty() ? failure(result, error) : m_refusal;
            const int seconds = int(retry.count());
            QMetaObject::invokeMethod(
                this, [this, reason, seconds] { Q_EMIT attemptFailed(reason, seconds); },
                Qt::QueuedConnection);
        }
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, retry, [this] { return m_stopping; }))
            return;
        retry = std::min<std::chrono::seconds>(retry * 2, longestRetry);
    }
}

QString MqttConnection::failure(int result, int error)
{
    switch (result) {
    case MOSQ_ERR_EAI:
        return QStringLiteral("host not found");
    case MOSQ_ERR_ERRNO:
        if (error != 0)
            return QString::fromLocal8Bit(std::strerror(error));
        break;
    default:
        break;
    }
    // TLS failures come as a lost connection or a TLS error; what went wrong the library
    // has logged, in OpenSSL's words.
    if (!m_tlsError.isEmpty())
        return QStringLiteral("TLS: ") + m_tlsError;
    if (result == MOSQ_ERR_CONN_LOST || result == MOSQ_ERR_NO_CONN)
        return QStringLiteral("the broker closed the connection before it was set up (TLS "
                              "on a port without it, or the other way round?)");
    return QString::fromUtf8(m_library->strerror(result));
}

void MqttConnection::onLog(mosquitto *, void *self, int level, const char *text)
{
    // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed": the last
    // part is the reason, the rest is the library's bookkeeping.
    if (level != MOSQ_LOG_ERR || !text || std::strncmp(text, "OpenSSL Error", 13) != 0)
        return;
    QString line = QString::fromUtf8(text).trimmed();
    if (const qsizetype cut = line.lastIndexOf(QStringLiteral("::")); cut >= 0)
        line = line.mid(cut + 2);
    static_cast<MqttConnection *>(self)->m_tlsError = line;
}

void MqttConnection::onConnect(mosquitto *, void *self, int result)
{
    auto *connection = static_cast<MqttConnection *>(self);
    const QString reason = QString::fromUtf8(connection->m_library->connackString(result));
    if (result != 0) {
        connection->m_refusal = reason; // told once the attempt is over
        return;
    }
    connection->m_sessionUp = true;
    QMetaObject::invokeMethod(
        connection, [connection, reason] { connection->setConnected(true, reason); },
        Qt::QueuedConnection);
}

void MqttConnection::onDisconnect(mosquitto *, void *self, int result)
{
    auto *connection = static_cast<MqttConnection *>(self);
    const QString reason = result == 0 ? QStringLiteral("disconnected")
                                       : QString::fromUtf8(connection->m_library->strerror(result));
    QMetaObject::invokeMethod(
        connection, [connection, reason] { connection->setConnected(false, reason); },
        Qt::QueuedConnection);
}

void MqttConnection::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *connection = static_cast<MqttConnection *>(self);
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char *>(message->payload),
                             std::min(message->payloadlen, payloadCut + 1));
    const bool retained = message->retain;
    QMetaObject::invokeMethod(
        connection,
        [connection, topic, payload, retained] {
            Q_EMIT connection->messageReceived(topic, payload, retained);
        },
        Qt::QueuedConnection);
}

void MqttConnection::setConnected(bool up, const QString &reason)
{
    if (up == m_connected)
        return;
    m_connected = up;
    if (up)
        Q_EMIT connected();
    else
        Q_EMIT disconnected(reason);
}
