#include "LineSettings.h"

#include <QStringList>

std::optional<LineSettings> LineSettings::parse(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;

    bool baudOk = false, dataOk = false, stopOk = false;
    LineSettings settings;
    settings.baudRate = parts[0].trimmed().toInt(&baudOk);
    settings.dataBits = parts[2].trimmed().toInt(&dataOk);
    settings.stopBits = parts[3].trimmed().toInt(&stopOk);
    const QString parity = parts[1].trimmed().toLower();
    if (!baudOk || !dataOk || !stopOk || settings.baudRate <= 0 || parity.size() != 1 ||
        !QStringLiteral("neoms").contains(parity) || settings.dataBits < 5 ||
        settings.dataBits > 8 || (settings.stopBits != 1 && settings.stopBits != 2))
        return std::nullopt;
    settings.parity = parity.at(0).toLatin1();
    return settings;
}
