#include "PortPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

QString &fallbackPattern()
{
    static QString pattern = QStringLiteral("/dev/ttyS%1");
    return pattern;
}

QString &stableNamesFolder()
{
    static QString folder = QStringLiteral("/dev/serial/by-id");
    return folder;
}

#ifdef Q_OS_UNIX
QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
#endif

} // namespace

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

QString fallbackPath(int number)
{
    return fallbackPattern().arg(number - 1);
}

void setFallbackPattern(const QString &pattern)
{
    fallbackPattern() = pattern;
}

bool hasLink(int number)
{
    const QFileInfo link(linkPath(number));
    return link.isSymLink() || link.exists();
}

QString devicePath(int number)
{
    if (number < 1)
        return {};
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return hasLink(number) ? linkPath(number) : fallbackPath(number);
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

void setStableNamesFolder(const QString &folder)
{
    stableNamesFolder() = folder;
}

QString stableName(const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    const QDir folder(stableNamesFolder());
    for (const QFileInfo &entry : folder.entryInfoList(QDir::System | QDir::Files, QDir::Name))
        if (entry.canonicalFilePath() == canonical)
            return entry.absoluteFilePath();
    return {};
}

bool assign(int number, const QString &device, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
#ifdef Q_OS_UNIX
    if (number < 1)
        return fail(QStringLiteral("No port number."));
    if (device.trimmed().isEmpty())
        return fail(QStringLiteral("No device given."));
    const QString link = linkPath(number);
    const QFileInfo existing(link);
    if (existing.exists() && !existing.isSymLink())
        return fail(QStringLiteral("%1 is not a link; it was left alone.").arg(link));
    if (!QDir().mkpath(portsFolder()))
        return fail(QStringLiteral("Cannot make the folder %1.").arg(portsFolder()));

    const QString stable = stableName(device);
    const QByteArray target = QFile::encodeName(stable.isEmpty() ? device : stable);
    // Made beside the old link and renamed over it, so the path never leads nowhere.
    const QByteArray name = QFile::encodeName(link);
    const QByteArray temporary = name + ".new";
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) != 0)
        return fail(QStringLiteral("Cannot link %1: %2.").arg(link, errnoText()));
    if (::rename(temporary.constData(), name.constData()) != 0) {
        const QString why = errnoText();
        ::unlink(temporary.constData());
        return fail(QStringLiteral("Cannot link %1: %2.").arg(link, why));
    }
    return true;
#else
    Q_UNUSED(number);
    Q_UNUSED(device);
    return fail(QStringLiteral("Ports are chosen by their COM number on this system."));
#endif
}

bool removeLink(int number, QString *error)
{
    const QString link = linkPath(number);
    const QFileInfo existing(link);
    if (!existing.isSymLink()) {
        if (!existing.exists())
            return true;
        if (error)
            *error = QStringLiteral("%1 is not a link; it was left alone.").arg(link);
        return false;
    }
    if (!QFile::remove(link)) {
        if (error)
            *error = QStringLiteral("Cannot remove %1.").arg(link);
        return false;
    }
    return true;
}

} // namespace PortPaths
