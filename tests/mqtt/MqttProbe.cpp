#include "MqttProbe.h"

#include <QTest>
#include <mosquitto.h>

MqttProbe::MqttProbe(int port, const QString &filter)
    : m_filter(filter.toUtf8())
{
    mosquitto_lib_init();
    m_client = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_client, &MqttProbe::onConnect);
    mosquitto_subscribe_callback_set(m_client, &MqttProbe::onSubscribe);
    mosquitto_message_callback_set(m_client, &MqttProbe::onMessage);
    mosquitto_reconnect_delay_set(m_client, 1, 1, false);
    mosquitto_connect_async(m_client, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_client);
}

MqttProbe::~MqttProbe()
{
    mosquitto_disconnect(m_client);
    mosquitto_loop_stop(m_client, false); // the disconnect ends its loop; no cancelling
    mosquitto_destroy(m_client);
}

void MqttProbe::onConnect(mosquitto *client, void *self, int result)
{
    if (result == 0)
        mosquitto_subscribe(client, nullptr, static_cast<MqttProbe *>(self)->m_filter.constData(),
                            1);
}

void MqttProbe::onSubscribe(mosquitto *, void *self, int, int, const int *)
{
    auto *probe = static_cast<MqttProbe *>(self);
    const std::lock_guard lock(probe->m_mutex);
    probe->m_subscribed = true;
}

void MqttProbe::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *probe = static_cast<MqttProbe *>(self);
    const std::lock_guard lock(probe->m_mutex);
    probe->m_messages.append(
        {QString::fromUtf8(message->topic),
         QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
         message->retain});
}

bool MqttProbe::isSubscribed() const
{
    const std::lock_guard lock(m_mutex);
    return m_subscribed;
}

QList<MqttProbe::Message> MqttProbe::messages() const
{
    const std::lock_guard lock(m_mutex);
    return m_messages;
}

std::optional<QByteArray> MqttProbe::latest(const QString &topic) const
{
    const std::lock_guard lock(m_mutex);
    for (auto it = m_messages.crbegin(); it != m_messages.crend(); ++it)
        if (it->topic == topic)
            return it->payload;
    return std::nullopt;
}

int MqttProbe::count(const QString &topic) const
{
    const std::lock_guard lock(m_mutex);
    return int(std::count_if(m_messages.begin(), m_messages.end(),
                             [&](const Message &message) { return message.topic == topic; }));
}

void MqttProbe::clear()
{
    const std::lock_guard lock(m_mutex);
    m_messages.clear();
}

bool MqttProbe::publish(const QString &topic, const QByteArray &payload, bool retain)
{
    const QByteArray name = topic.toUtf8();
    return mosquitto_publish(m_client, nullptr, name.constData(), int(payload.size()),
                             payload.constData(), 1, retain) == MOSQ_ERR_SUCCESS;
}

bool MqttProbe::waitFor(const QString &topic, const QByteArray &payload, int milliseconds) const
{
    return QTest::qWaitFor([&] { return latest(topic) == payload; }, milliseconds);
}
