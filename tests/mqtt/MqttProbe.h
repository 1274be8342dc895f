#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <mutex>
#include <optional>

struct mosquitto;

// A plain MQTT client for the tests, on libmosquitto directly (not on the panel's code):
// it subscribes to everything under a filter, keeps every message it is sent, and
// reconnects by itself, subscribing again, when the broker comes back.
class MqttProbe
{
public:
    struct Message
    {
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    MqttProbe(int port, const QString &filter);
    ~MqttProbe();

    bool isSubscribed() const;
    QList<Message> messages() const;
    // The last payload on the topic, if any came.
    std::optional<QByteArray> latest(const QString &topic) const;
    int count(const QString &topic) const;
    void clear();
    bool publish(const QString &topic, const QByteArray &payload, bool retain = false);
    // Waits until the topic's last payload is `payload`.
    bool waitFor(const QString &topic, const QByteArray &payload, int milliseconds = 15000) const;

private:
    static void onConnect(mosquitto *client, void *self, int result);
    static void onSubscribe(mosquitto *client, void *self, int, int, const int *);
    static void onMessage(mosquitto *client, void *self, const struct mosquitto_message *message);

    const QByteArray m_filter;
    mosquitto *m_client = nullptr;
    mutable std::mutex m_mutex;
    QList<Message> m_messages;
    bool m_subscribed = false;
};
