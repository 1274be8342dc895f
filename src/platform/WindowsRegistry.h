#pragma once

#include "Registry.h"

// The system registry of Windows, read through the Win32 calls it stands for. Built on
// Windows only; a Linux desktop uses DesktopRegistry.
class WindowsRegistry final : public Registry
{
public:
    bool openKey(quint32 root, const QString &path, quint32 accessMask, Key &key) override;
    bool queryValue(Key key, const QString &name, quint32 &type, std::span<QChar> data,
                    quint32 &dataSize) override;
    void closeKey(Key key) override;
};
