#include "PortLink.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// The target of a symbolic link, or nothing when the path is not one.
std::optional<QByteArray> readLink(const QByteArray &path)
{
    QByteArray target(4096, '\0');
    const ssize_t length = ::readlink(path.constData(), target.data(), std::size_t(target.size()));
    if (length < 0 || length >= target.size())
        return std::nullopt;
    target.truncate(length);
    return target;
}

} // namespace

namespace PortLink {

bool place(const QString &link, const QString &target, QString *error)
{
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    const QByteArray linkName = QFile::encodeName(link);
    const QByteArray targetName = QFile::encodeName(target);

    struct stat info
    {};
    if (::lstat(linkName.constData(), &info) == 0) {
        if (!S_ISLNK(info.st_mode))
            return fail(QStringLiteral("%1 exists and is not a link; it was left alone").arg(link));
        const std::optional<QByteArray> old = readLink(linkName);
        if (!old)
            return fail(QStringLiteral("%1: cannot read the link: %2").arg(link, errnoText()));
        const QString oldTarget = QFile::decodeName(*old);
        if (!old->startsWith("/dev/pts/"))
            return fail(QStringLiteral("%1 leads to %2, which is not a simulated board; it was "
                                       "left alone")
                            .arg(link, oldTarget));
        struct stat device
        {};
        if (::stat(linkName.constData(), &device) == 0)
            return fail(QStringLiteral("%1 leads to %2, a live device (is another board "
                                       "running?); remove the link if it is not")
                            .arg(link, oldTarget));
    }

    // Build the new link beside the old one and rename it over, so the path never leads
    // nowhere while the panel may be opening it.
    const QByteArray temporary =
        linkName + ".new-" + QByteArray::number(QCoreApplication::applicationPid());
    ::unlink(temporary.constData());
    if (::symlink(targetName.constData(), temporary.constData()) != 0)
        return fail(QStringLiteral("%1: cannot create the link: %2").arg(link, errnoText()));
    if (::rename(temporary.constData(), linkName.constData()) != 0) {
        const QString why = errnoText();
        ::unlink(temporary.constData());
        return fail(QStringLiteral("%1: cannot create the link: %2").arg(link, why));
    }
    return true;
}

void removeIfLeadsTo(const QString &link, const QString &target)
{
    const QByteArray linkName = QFile::encodeName(link);
    if (readLink(linkName) == QFile::encodeName(target))
        ::unlink(linkName.constData());
}

} // namespace PortLink
