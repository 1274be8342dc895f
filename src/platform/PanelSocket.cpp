#include "PanelSocket.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PanelSocket {

namespace {

// A folder only this user may enter: made with mode 0700, or found so and owned by us.
bool isPrivateFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    struct stat info
    {};
    return ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
#else
    return QDir().mkpath(folder);
#endif
}

} // namespace

QString configFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .absolutePath();
}

QString folder()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString found;
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        found = QDir(runtime).filePath(QStringLiteral("tarnwick"));
    } else {
#ifdef Q_OS_UNIX
        const QString user = QString::number(::getuid());
#else
        const QString user = qEnvironmentVariable("USERNAME");
#endif
        found = QDir(QDir::tempPath()).filePath(QStringLiteral("tarnwick-") + user);
    }
    return isPrivateFolder(found) ? found : QString();
}

QString path()
{
    const QString inside = folder();
    if (inside.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(configFolder()), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return QDir(inside).filePath(QStringLiteral("panel-") + QString::fromLatin1(hash));
}

} // namespace PanelSocket
