#include "DiscoveryAnnouncements.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <algorithm>

namespace {

// A line of the file is used only when it is a discovery configuration topic as we make
// them: the file sits in the user's folder and may have been edited or damaged.
bool isOurTopic(const QString &topic)
{
    if (topic.size() > DiscoveryAnnouncements::topicLimit ||
        !topic.startsWith(QLatin1String(MqttDiscovery::prefix) + u'/') ||
        !topic.endsWith(QLatin1String("/config")))
        return false;
    for (const QChar c : topic)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_' && c != u'-' && c != u'/')
            return false;
    return true;
}

} // namespace

DiscoveryAnnouncements::DiscoveryAnnouncements(const QString &path)
    : m_path(path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > fileLimit)
        return;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString topic = QString::fromLatin1(line.trimmed());
        if (isOurTopic(topic))
            m_announced.insert(topic, QByteArray());
    }
}

QList<DiscoveryMessage> DiscoveryAnnouncements::update(const QList<DiscoveryMessage> &wanted)
{
    QList<DiscoveryMessage> publish;
    QSet<QString> kept;
    for (const DiscoveryMessage &message : wanted) {
        kept.insert(message.topic);
        const auto found = m_announced.constFind(message.topic);
        if (found == m_announced.cend() || found->isNull() || *found != message.payload)
            publish << message;
    }
    const bool sameTopics = kept.size() == m_announced.size() &&
                            std::all_of(kept.cbegin(), kept.cend(), [this](const QString &topic) {
                                return m_announced.contains(topic);
                            });
    for (auto it = m_announced.cbegin(); it != m_announced.cend(); ++it)
        if (!kept.contains(it.key()))
            publish << DiscoveryMessage{it.key(), QByteArray()};
    m_announced.clear();
    for (const DiscoveryMessage &message : wanted)
        m_announced.insert(message.topic, message.payload);
    if (!sameTopics)
        save();
    return publish;
}

void DiscoveryAnnouncements::forgetPayloads()
{
    for (QByteArray &payload : m_announced)
        payload = QByteArray();
}

void DiscoveryAnnouncements::save() const
{
    QByteArray text;
    for (auto it = m_announced.cbegin(); it != m_announced.cend(); ++it)
        text += it.key().toLatin1() + '\n';
    QSaveFile file(m_path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    if (!file.commit())
        qWarning("cannot keep the discovery topics in %s", qPrintable(m_path));
}
