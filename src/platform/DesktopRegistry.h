#pragma once

#include "Registry.h"

#include <QStringList>
#include <functional>

// A Linux desktop has no registry; this one answers the lookup that finds the
// system-information program the way the desktop can. The value "PATH" of the key
// "SOFTWARE\Microsoft\Shared Tools\MSINFO" under the local-machine root holds the full path
// of the first program of systemInfoPrograms() found on the PATH, as a text value stored with
// its terminating zero character, the way the registry stores text. When none is installed
// the value is absent, and so is every other key and value. Nothing can be written: a request
// for write rights is refused, as it is to an ordinary user under the local-machine root.
class DesktopRegistry final : public Registry
{
public:
    // Gives the full path of an installed program by its name, or the empty text.
    using ProgramFinder = std::function<QString(const QString &name)>;

    // Searches the PATH unless another finder is given.
    explicit DesktopRegistry(ProgramFinder finder = {});

    // Programs that show what the system is made of, in order of preference.
    static QStringList systemInfoPrograms();

    bool openKey(quint32 root, const QString &path, quint32 accessMask, Key &key) override;
    bool queryValue(Key key, const QString &name, quint32 &type, std::span<QChar> data,
                    quint32 &dataSize) override;
    void closeKey(Key key) override;

private:
    QString systemInfoPath() const;

    ProgramFinder m_finder;
};
