#include "CtlOutput.h"

#include <QJsonArray>
#include <QStringList>

namespace CtlOutput {

namespace {

bool isOn(const QJsonObject &status, const char *field, int number)
{
    return status.value(QLatin1String(field)).toArray().at(number - 1).toBool();
}

QString onList(const QJsonObject &status, const char *field, const QString &prefix)
{
    QStringList on;
    const QJsonArray items = status.value(QLatin1String(field)).toArray();
    for (int i = 0; i < items.size(); ++i)
        if (items.at(i).toBool())
            on << prefix + QString::number(i + 1);
    return on.isEmpty() ? QStringLiteral("none") : on.join(QLatin1Char(' '));
}

QString meterList(const QJsonObject &status, bool withCaptions)
{
    const QJsonArray meters = status.value(QLatin1String("meters")).toArray();
    const QJsonArray captions = status.value(QLatin1String("meterCaptions")).toArray();
    QStringList shown;
    for (int m = 0; m < meters.size(); ++m) {
        const QString value = QString::number(meters.at(m).toDouble(), 'g', 6);
        const QString caption = captions.at(m).toString();
        shown << (withCaptions && !caption.isEmpty() ? caption + QStringLiteral(" ") + value
                                                     : value);
    }
    return shown.join(withCaptions ? QStringLiteral(", ") : QStringLiteral(" "));
}

QString text(const QJsonObject &status, const char *field)
{
    return status.value(QLatin1String(field)).toString();
}

// The frame without its closing carriage return, other control characters shown as "?".
QString printableFrame(const QJsonObject &status)
{
    QString frame = text(status, "frame");
    if (frame.endsWith(QLatin1Char('\r')))
        frame.chop(1);
    for (QChar &c : frame)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char('?');
    return frame;
}

} // namespace

bool relayOn(const QJsonObject &status, int relay)
{
    return isOn(status, "relays", relay);
}

bool inputOn(const QJsonObject &status, int input)
{
    return isOn(status, "inputs", input);
}

QString statusText(const QJsonObject &status)
{
    QString link = text(status, "link");
    const int port = status.value(QLatin1String("port")).toInt();
    const QString device = text(status, "device");
    link += QStringLiteral(", Com %1").arg(port);
    if (!device.isEmpty())
        link += QStringLiteral(" (%1)").arg(device);

    QStringList inputs;
    const QJsonArray names = status.value(QLatin1String("inputNames")).toArray();
    for (int k = 1; k <= 8; ++k)
        inputs << QStringLiteral("%1 %2 %3")
                      .arg(k)
                      .arg(inputOn(status, k) ? QStringLiteral("on ") : QStringLiteral("off"),
                           names.at(k - 1).toString());
    const QJsonArray aout = status.value(QLatin1String("aout")).toArray();

    QStringList lines;
    lines << QStringLiteral("Link:        ") + link
          << QStringLiteral("Relays on:   ") + onList(status, "relays", QStringLiteral("R"))
          << QStringLiteral("Inputs:      ") + inputs.join(QStringLiteral("\n             "))
          << QStringLiteral("Meters:      ") + meterList(status, true)
          << QStringLiteral("Temperature: ") + text(status, "temperature")
          << QStringLiteral("Frequency:   ") + text(status, "frequency")
          << QStringLiteral("Analog out:  1 = %1, 2 = %2")
                 .arg(aout.at(0).toInt())
                 .arg(aout.at(1).toInt())
          << QStringLiteral("Frame:       ") + printableFrame(status)
          << QStringLiteral("MQTT:        ") +
                 mqttText(status.value(QStringLiteral("mqtt")).toObject());
    return lines.join(QLatin1Char('\n'));
}

QString mqttText(const QJsonObject &mqtt)
{
    const QString state = text(mqtt, "state");
    const QString broker = text(mqtt, "broker");
    const QString reason = text(mqtt, "reason");
    if (state == QLatin1String("connected"))
        return QStringLiteral("connected to ") + broker;
    if (state == QLatin1String("connecting"))
        return QStringLiteral("connecting to ") + broker +
               (reason.isEmpty() ? QString() : QStringLiteral(": ") + reason);
    // A panel before the bridge said anything says nothing: off, as it is.
    return reason.isEmpty() ? QStringLiteral("off") : QStringLiteral("off: ") + reason;
}

RelayLookup findRelay(const QJsonObject &status, const QString &name)
{
    const QJsonArray names = status.value(QLatin1String("relayNames")).toArray();
    QStringList matched;
    QStringList named;
    int found = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QString relayName = names.at(i).toString();
        if (relayName.isEmpty())
            continue;
        named << QStringLiteral("R%1 %2").arg(i + 1).arg(relayName);
        if (relayName.compare(name.trimmed(), Qt::CaseInsensitive) == 0) {
            matched << named.last();
            found = i + 1;
        }
    }
    if (matched.size() == 1)
        return {found, {}};
    if (matched.size() > 1)
        return {0, QStringLiteral("'%1' names more than one relay: %2; use R<n>")
                       .arg(name, matched.join(QStringLiteral(", ")))};
    return {0, named.isEmpty()
                   ? QStringLiteral("'%1' is not a relay: name one of R1 to R64 (no relay has a "
                                    "name; give them names under Setup, Relay Names)")
                         .arg(name)
                   : QStringLiteral("'%1' is not a relay: name one of R1 to R64, or of %2")
                         .arg(name, named.join(QStringLiteral(", ")))};
}

QString frameLine(const QJsonObject &status)
{
    return QStringLiteral("%1 | relays on: %2 | inputs on: %3 | meters: %4 | %5 | %6")
        .arg(text(status, "link"), onList(status, "relays", QStringLiteral("R")),
             onList(status, "inputs", QString()), meterList(status, false),
             text(status, "temperature"), text(status, "frequency"));
}

QString recordingText(const QJsonObject &recording)
{
    QStringList lines{text(recording, "text")};
    if (recording.value(QLatin1String("active")).toBool()) {
        lines << QStringLiteral("Folder:      ") + text(recording, "folder");
        const int every = recording.value(QLatin1String("every")).toInt();
        const int keepDays = recording.value(QLatin1String("keepDays")).toInt();
        lines << QStringLiteral("Pace:        ") +
                     (every > 0 ? QStringLiteral("a row every %1 s, and at every change").arg(every)
                                : QStringLiteral("a row every frame"))
              << QStringLiteral("Kept:        ") +
                     (keepDays > 0 ? QStringLiteral("%1 days before today").arg(keepDays)
                                   : QStringLiteral("every day"));
        if (const QString file = text(recording, "file"); !file.isEmpty())
            lines << QStringLiteral("File:        ") + file
                  << QStringLiteral("Rows:        %1")
                         .arg(qint64(recording.value(QLatin1String("rows")).toDouble()));
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace CtlOutput
