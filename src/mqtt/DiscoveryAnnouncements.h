#pragma once

#include "MqttDiscovery.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// The discovery configurations this store's panel keeps retained on its broker. Home
// Assistant keeps an entity as long as its configuration is retained, so one we no longer
// publish (discovery turned off, a relay become a sensor, another base topic) must be
// removed with an empty retained message, also when the change came between two runs: the
// topics are kept in a file beside mqtt.ini.
class DiscoveryAnnouncements
{
public:
    // Reads what an earlier run announced from `path`; a file that is missing, too large or
    // not ours counts as nothing announced.
    explicit DiscoveryAnnouncements(const QString &path);

    // The messages that bring the broker from what was announced to `wanted`: each config
    // that is new or changed, and an empty retained message for each one no longer wanted.
    // `wanted` is then what is announced.
    QList<DiscoveryMessage> update(const QList<DiscoveryMessage> &wanted);
    // A new connection: every config is published again, none is taken as already there.
    void forgetPayloads();

    QList<QString> topics() const { return m_announced.keys(); }

    static constexpr qint64 fileLimit = 256 * 1024;
    static constexpr int topicLimit = 256;

private:
    void save() const;

    QString m_path;
    QMap<QString, QByteArray> m_announced; // a null payload: announced, content not known
};
