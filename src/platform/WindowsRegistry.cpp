#include "WindowsRegistry.h"

#include <windows.h>

namespace {

// The predefined root handles are 32-bit values sign-extended to a pointer
// (HKEY_LOCAL_MACHINE is (HKEY)(ULONG_PTR)(LONG)0x80000002): widened without the sign, the
// 64-bit handle would name no key at all.
HKEY rootHandle(quint32 root)
{
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

LPCWSTR wide(const QString &text)
{
    static_assert(sizeof(wchar_t) == sizeof(QChar));
    return reinterpret_cast<LPCWSTR>(text.utf16());
}

} // namespace

bool WindowsRegistry::openKey(quint32 root, const QString &path, quint32 accessMask, Key &key)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExW(rootHandle(root), wide(path), 0, REGSAM(accessMask), &opened) !=
        ERROR_SUCCESS)
        return false;
    key = reinterpret_cast<Key>(opened);
    return true;
}

bool WindowsRegistry::queryValue(Key key, const QString &name, quint32 &type, std::span<QChar> data,
                                 quint32 &dataSize)
{
    // The registry counts bytes; the interface counts characters of two bytes.
    DWORD valueType = 0;
    DWORD bytes = DWORD(data.size() * sizeof(QChar));
    const LONG result = RegQueryValueExW(reinterpret_cast<HKEY>(key), wide(name), nullptr,
                                         &valueType, reinterpret_cast<LPBYTE>(data.data()), &bytes);
    if (result != ERROR_SUCCESS) // ERROR_MORE_DATA too: the value is larger than the room
        return false;
    type = quint32(valueType);
    dataSize = quint32((bytes + sizeof(QChar) - 1) / sizeof(QChar));
    return true;
}

void WindowsRegistry::closeKey(Key key)
{
    RegCloseKey(reinterpret_cast<HKEY>(key));
}
