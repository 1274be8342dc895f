#include "MqttConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <optional>

namespace {

enum class Kind { Text, Port, Switch };

struct Key
{
    const char *name;
    Kind kind;
    QString MqttConfig::*text = nullptr;
    bool MqttConfig::*flag = nullptr;
};

// Every key the section takes; the help page lists the same.
const Key keyTable[] = {
    {"host", Kind::Text, &MqttConfig::host},
    {"port", Kind::Port},
    {"client_id", Kind::Text, &MqttConfig::clientId},
    {"username", Kind::Text, &MqttConfig::username},
    {"password_file", Kind::Text, &MqttConfig::passwordFile},
    {"tls_ca_file", Kind::Text, &MqttConfig::tlsCaFile},
    {"base_topic", Kind::Text, &MqttConfig::baseTopic},
    {"commands", Kind::Switch, nullptr, &MqttConfig::commands},
    {"discovery", Kind::Switch, nullptr, &MqttConfig::discovery},
};

std::optional<bool> switchValue(const QString &text)
{
    const QString value = text.toLower();
    for (const char *on : {"on", "true", "yes", "1"})
        if (value == QLatin1String(on))
            return true;
    for (const char *off : {"off", "false", "no", "0"})
        if (value == QLatin1String(off))
            return false;
    return std::nullopt;
}

QString levelSafe(QString text)
{
    for (QChar &c : text)
        if (c == u'/' || c == u'+' || c == u'#' || c.isSpace() || c.unicode() < 0x20)
            c = u'_';
    return text;
}

} // namespace

MqttConfigRead parseMqttConfig(const QMap<QString, QString> &keys)
{
    MqttConfigRead read;
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        const QString value = it.value().trimmed();
        const Key *key = nullptr;
        for (const Key &candidate : keyTable)
            if (it.key() == QLatin1String(candidate.name))
                key = &candidate;
        if (!key) {
            read.problems << QStringLiteral("unknown key \"%1\" ignored").arg(it.key().left(40));
            continue;
        }
        switch (key->kind) {
        case Kind::Text:
            read.config.*(key->text) = value;
            break;
        case Kind::Port: {
            bool number = false;
            const int port = value.toInt(&number);
            if (number && port >= 1 && port <= 65535)
                read.config.port = port;
            else
                read.problems << QStringLiteral("port \"%1\" is not 1 to 65535: 1883 used")
                                     .arg(value.left(40));
            break;
        }
        case Kind::Switch:
            if (const std::optional<bool> flag = switchValue(value))
                read.config.*(key->flag) = *flag;
            else
                read.problems << QStringLiteral("%1 \"%2\" is not on or off: off used")
                                     .arg(QLatin1String(key->name), value.left(40));
            break;
        }
    }
    if (!read.config.baseTopic.isEmpty()) {
        const QString clean = cleanBaseTopic(read.config.baseTopic);
        if (clean != read.config.baseTopic)
            read.problems << QStringLiteral("base_topic \"%1\" may not hold + # or empty levels: "
                                            "\"%2\" used")
                                 .arg(read.config.baseTopic.left(80), clean);
        read.config.baseTopic = clean;
    }
    return read;
}

MqttConfigRead readMqttConfigFile(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError)
        return {{}, {QStringLiteral("%1 cannot be read: the bridge stays off").arg(path)}};
    file.beginGroup(QStringLiteral("mqtt"));
    QMap<QString, QString> keys;
    for (const QString &key : file.childKeys()) {
        const QVariant value = file.value(key);
        // A hand-written value with a comma reads back as a list.
        keys.insert(key, value.userType() == QMetaType::QStringList
                             ? value.toStringList().join(u',')
                             : value.toString());
    }
    return parseMqttConfig(keys);
}

QString mqttConfigPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Tarnwick/mqtt.ini"));
}

QString readPasswordFile(const QString &path, QString *problem)
{
    QFile file(path);
    // A password is short; a huge file is not a password file.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 4096) {
        if (problem)
            *problem = QStringLiteral("password_file %1 cannot be read").arg(path);
        return {};
    }
    QByteArray line = file.readLine(4097);
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

QString cleanBaseTopic(const QString &topic)
{
    QStringList levels;
    for (const QString &level : topic.split(u'/', Qt::SkipEmptyParts)) {
        QString safe = level;
        for (QChar &c : safe)
            if (c == u'+' || c == u'#' || c.unicode() < 0x20)
                c = u'_';
        levels << safe;
    }
    return levels.join(u'/');
}

QString defaultBaseTopic(const QString &hostName, int portNumber)
{
    const QString host = hostName.isEmpty() ? QStringLiteral("panel") : levelSafe(hostName);
    return QStringLiteral("tarnwick/%1-com%2").arg(host).arg(portNumber);
}
