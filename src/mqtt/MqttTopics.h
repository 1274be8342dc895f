#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

struct PanelStatus;

// One retained value under the base topic: "relay/5" and "ON".
struct TopicValue
{
    QString topic; // below the base topic
    QByteArray payload;
    friend bool operator==(const TopicValue &, const TopicValue &) = default;
};

namespace MqttTopics {

inline constexpr char status[] = "status";
inline constexpr char error[] = "error";
inline constexpr char online[] = "online";
inline constexpr char offline[] = "offline";

// A needle's value as a plain decimal number: no exponent, no trailing zeros ("0.8", "4").
QByteArray decimal(double value);

// Every value the window shows, as the topics carry it: link, relays, inputs, meters,
// temperature, frequency, analog outputs and the names. Before the first complete frame
// only the link and the names: the board's values are not known yet.
QList<TopicValue> panelTopics(const PanelStatus &panel);

QString joined(const QString &base, const QString &topic);

} // namespace MqttTopics

// What was last published per topic, so a frame that changes nothing publishes nothing.
class PublishedTopics
{
public:
    // The values among `now` that differ from what was last published, now taken as
    // published. After forget() every value counts as changed.
    QList<TopicValue> changed(const QList<TopicValue> &now);
    void forget() { m_published.clear(); }

private:
    QHash<QString, QByteArray> m_published; // null: never published
};
