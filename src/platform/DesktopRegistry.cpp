#include "DesktopRegistry.h"

#include <QStandardPaths>
#include <algorithm>

namespace {

// The one key this registry has, and the handle it is opened under.
const QString sysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString sysInfoValue = QStringLiteral("PATH");
constexpr Registry::Key sysInfoHandle = 1;

} // namespace

DesktopRegistry::DesktopRegistry(ProgramFinder finder)
    : m_finder(std::move(finder))
{
    if (!m_finder)
        m_finder = [](const QString &name) {
            return QStandardPaths::findExecutable(name);
        };
}

QStringList DesktopRegistry::systemInfoPrograms()
{
    // First the desktops' own overviews of hardware and system (KDE's Info Center) and the
    // profilers that do the same on any desktop (HardInfo, its successor first, and CPU-X),
    // which come closest to a system-information tool; then Xfce's about window, whose
    // System page names the machine, system, processor, memory and graphics; last the
    // system monitors of GNOME and MATE, which show resources and file systems rather than
    // the configuration, but are what those desktops bring. Every one of them starts
    // without arguments.
    return {QStringLiteral("kinfocenter"),        QStringLiteral("hardinfo2"),
            QStringLiteral("hardinfo"),           QStringLiteral("cpu-x"),
            QStringLiteral("xfce4-about"),        QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor")};
}

QString DesktopRegistry::systemInfoPath() const
{
    for (const QString &name : systemInfoPrograms()) {
        const QString path = m_finder(name);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

bool DesktopRegistry::openKey(quint32 root, const QString &path, quint32 accessMask, Key &key)
{
    if (root != localMachine || (accessMask & writeRights) != 0 ||
        path.compare(sysInfoKey, Qt::CaseInsensitive) != 0)
        return false;
    key = sysInfoHandle;
    return true;
}

bool DesktopRegistry::queryValue(Key key, const QString &name, quint32 &type, std::span<QChar> data,
                                 quint32 &dataSize)
{
    if (key != sysInfoHandle || name.compare(sysInfoValue, Qt::CaseInsensitive) != 0)
        return false;
    const QString path = systemInfoPath();
    if (path.isEmpty())
        return false;
    // Stored as the registry stores a text: the characters and a terminating zero.
    const auto stored = static_cast<quint32>(path.size() + 1);
    if (stored > dataSize || stored > data.size()) {
        dataSize = stored;
        return false;
    }
    std::copy(path.cbegin(), path.cend(), data.begin());
    data[static_cast<std::size_t>(path.size())] = QChar(u'\0');
    type = textType;
    dataSize = stored;
    return true;
}

void DesktopRegistry::closeKey(Key)
{
    // Nothing is held for an open key.
}
