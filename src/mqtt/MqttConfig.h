#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The bridge's own settings, hand-edited in Tarnwick/mqtt.ini beside the panel's settings,
// section [mqtt]. The panel only ever reads this file.
struct MqttConfig
{
    QString host; // empty: the bridge is off
    int port = 1883;
    QString clientId;     // empty: one made from the base topic
    QString username;     // empty: no login
    QString passwordFile; // the password is read from here, never from mqtt.ini
    QString tlsCaFile;    // set: TLS, checking the broker against these authorities
    QString baseTopic;    // empty: tarnwick/<host name>-com<n>
    bool commands = false;
    bool discovery = false;

    bool enabled() const { return !host.isEmpty(); }
    friend bool operator==(const MqttConfig &, const MqttConfig &) = default;
};

struct MqttConfigRead
{
    MqttConfig config;
    // One line for each value that was not taken, saying which and what was used instead.
    QStringList problems;
};

// The keys of the [mqtt] section as they were read, unknown keys included.
MqttConfigRead parseMqttConfig(const QMap<QString, QString> &keys);

// Reads the file; a missing or unreadable one gives the bridge switched off.
MqttConfigRead readMqttConfigFile(const QString &path);

// Where the file is: beside Tarnwick.ini.
QString mqttConfigPath();

// The password in the password file: its first line, without the line end. Empty when the
// file cannot be read; `problem` then says so without showing any of its content.
QString readPasswordFile(const QString &path, QString *problem);

// A base topic that is safe to build on: no wildcards, no empty levels, no leading or
// trailing slash. Empty when nothing is left.
QString cleanBaseTopic(const QString &topic);

// tarnwick/<host name>-com<n>, with the host name's wildcards and slashes made "_".
QString defaultBaseTopic(const QString &hostName, int portNumber);
