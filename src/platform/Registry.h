#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>
#include <span>

// Read access to a hierarchical store of named values under fixed root keys, shaped like the
// system registry on Windows: open a key, query one of its values, close the key. The about
// box finds the system-information program through it. Behind an interface so that tests
// can lay out any registry they need, and so that a desktop without a registry can answer
// the few lookups the program makes.
class Registry
{
public:
    // An open key, valid until closeKey().
    using Key = quintptr;

    // Root handle of the machine-wide part (HKEY_LOCAL_MACHINE).
    static constexpr quint32 localMachine = 0x80000002u;

    // Value types as the registry stores them.
    static constexpr quint32 textType = 1;  // REG_SZ
    static constexpr quint32 dwordType = 4; // REG_DWORD

    // Access rights: reading values and listing subkeys (KEY_READ); the rights that change
    // a key (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK).
    static constexpr quint32 readAccess = 0x20019u;
    static constexpr quint32 writeRights = 0x00026u;

    virtual ~Registry() = default;

    // Opens `path` (levels separated by '\', compared without regard to case) under `root`
    // with the rights in `accessMask`. False when the key is absent or the rights are refused;
    // `key` is then left as it was and must not be closed.
    virtual bool openKey(quint32 root, const QString &path, quint32 accessMask, Key &key) = 0;

    // Copies the data of the value `name` of `key` to the start of `data`. `dataSize` goes in
    // as the room in `data` and comes back as the stored size, both in characters; a text
    // stored with its terminating zero character counts that character. False when the value
    // is absent or larger than `data`; `type` and `data` are then unspecified.
    virtual bool queryValue(Key key, const QString &name, quint32 &type, std::span<QChar> data,
                            quint32 &dataSize) = 0;

    virtual void closeKey(Key key) = 0;
};
