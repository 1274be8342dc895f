#include "PortPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace PortPaths {

QString portsFolder()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(QStringLiteral("Tarnwick/ports"));
}

QString linkPath(int number)
{
    return QDir(portsFolder()).filePath(QStringLiteral("COM%1").arg(number));
}

QString devicePath(int number)
{
    if (number < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    const QString link = linkPath(number);
    if (QFileInfo(link).isSymLink() || QFileInfo::exists(link))
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString resolvedDevice(int number)
{
    const QString path = devicePath(number);
    if (path.isEmpty())
        return {};
#ifdef Q_OS_WIN
    return path;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    return info.isSymLink() ? info.canonicalFilePath() : path;
#endif
}

} // namespace PortPaths
