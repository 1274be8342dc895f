#include "MqttTopics.h"

#include "PanelStatus.h"
#include "StatusFrame.h"

#include <array>

namespace MqttTopics {

namespace {

QByteArray onOff(bool on)
{
    static const QByteArray onText("ON"), offText("OFF");
    return on ? onText : offText;
}

QString numbered(const char *kind, std::size_t index)
{
    return QStringLiteral("%1/%2").arg(QLatin1String(kind)).arg(index + 1);
}

template<std::size_t count>
std::array<QString, count> numberedNames(const char *kind)
{
    std::array<QString, count> names;
    for (std::size_t i = 0; i < count; ++i)
        names[i] = numbered(kind, i);
    return names;
}

// The topics' names, made once: a frame that changes every field would otherwise format
// a hundred of them.
struct Names
{
    std::array<QString, 8> inputName = numberedNames<8>("name/input");
    std::array<QString, 6> meterName = numberedNames<6>("name/meter");
    std::array<QString, 64> relay = numberedNames<64>("relay");
    std::array<QString, 8> input = numberedNames<8>("input");
    std::array<QString, 6> meter = numberedNames<6>("meter");
    std::array<QString, 2> aout = numberedNames<2>("aout");
};

const Names &names()
{
    static const Names made;
    return made;
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
    const Names &name = names();
    topics.append({QStringLiteral("link"), panel.link.toLatin1()});
    for (std::size_t k = 0; k < panel.inputNames.size(); ++k)
        topics.append({name.inputName[k], panel.inputNames[k].toUtf8()});
    for (std::size_t m = 0; m < panel.meterCaptions.size(); ++m)
        topics.append({name.meterName[m], panel.meterCaptions[m].toUtf8()});
    if (panel.frame.isEmpty())
        return topics;

    for (std::size_t r = 0; r < panel.relays.size(); ++r)
        topics.append({name.relay[r], onOff(panel.relays[r])});
    for (std::size_t k = 0; k < panel.inputs.size(); ++k)
        topics.append({name.input[k], onOff(panel.inputs[k])});
    for (std::size_t m = 0; m < panel.meters.size(); ++m)
        topics.append({name.meter[m], decimal(panel.meters[m])});
    // From the frame, not the readout: the readout may be in Celsius, the topic is not.
    if (const std::optional<int> fahrenheit =
            StatusFrame::readNumber(panel.frame, StatusFrame::temperature))
        topics.append({QStringLiteral("temperature"), QByteArray::number(*fahrenheit)});
    topics.append({QStringLiteral("frequency"), StatusFrame::frequencyText(panel.frame).toUtf8()});
    for (std::size_t a = 0; a < panel.aout.size(); ++a)
        topics.append({name.aout[a], QByteArray::number(panel.aout[a])});
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
