#include "MqttTopics.h"

#include "PanelStatus.h"
#include "StatusFrame.h"

namespace MqttTopics {

namespace {

QByteArray onOff(bool on)
{
    return on ? QByteArrayLiteral("ON") : QByteArrayLiteral("OFF");
}

QString numbered(const char *kind, std::size_t index)
{
    return QStringLiteral("%1/%2").arg(QLatin1String(kind)).arg(index + 1);
}

} // namespace

QByteArray decimal(double value)
{
    QByteArray text = QByteArray::number(value, 'f', 6);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == "-0" ? QByteArrayLiteral("0") : text;
}

QList<TopicValue> panelTopics(const PanelStatus &panel)
{
    QList<TopicValue> topics;
    topics.reserve(100);
    topics.append({QStringLiteral("link"), panel.link.toLatin1()});
    for (std::size_t k = 0; k < panel.inputNames.size(); ++k)
        topics.append({QStringLiteral("name/") + numbered("input", k), panel.inputNames[k].toUtf8()});
    for (std::size_t m = 0; m < panel.meterCaptions.size(); ++m)
        topics.append(
            {QStringLiteral("name/") + numbered("meter", m), panel.meterCaptions[m].toUtf8()});
    if (panel.frame.isEmpty())
        return topics;

    for (std::size_t r = 0; r < panel.relays.size(); ++r)
        topics.append({numbered("relay", r), onOff(panel.relays[r])});
    for (std::size_t k = 0; k < panel.inputs.size(); ++k)
        topics.append({numbered("input", k), onOff(panel.inputs[k])});
    for (std::size_t m = 0; m < panel.meters.size(); ++m)
        topics.append({numbered("meter", m), decimal(panel.meters[m])});
    // From the frame, not the readout: the readout may be in Celsius, the topic is not.
    if (const std::optional<int> fahrenheit =
            StatusFrame::readNumber(panel.frame, StatusFrame::temperature))
        topics.append({QStringLiteral("temperature"), QByteArray::number(*fahrenheit)});
    topics.append({QStringLiteral("frequency"), StatusFrame::frequencyText(panel.frame).toUtf8()});
    for (std::size_t a = 0; a < panel.aout.size(); ++a)
        topics.append({numbered("aout", a), QByteArray::number(panel.aout[a])});
    return topics;
}

QString joined(const QString &base, const QString &topic)
{
    return base + u'/' + topic;
}

} // namespace MqttTopics

QList<TopicValue> PublishedTopics::changed(const QList<TopicValue> &now)
{
    QList<TopicValue> changes;
    for (const TopicValue &value : now) {
        QByteArray &published = m_published[value.topic];
        if (published.isNull() || published != value.payload) {
            published = value.payload.isNull() ? QByteArray("") : value.payload;
            changes.append(value);
        }
    }
    return changes;
}
