#pragma once

#include "Registry.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <algorithm>

// A registry laid out by the test. Key paths and value names match without regard to case,
// as in the real registry. Like an ordinary user's view of the local-machine root, it refuses
// to open a key there with write rights. It counts the keys opened and closed, so a test can
// see that none is left open.
class FakeRegistry final : public Registry
{
public:
    struct Value
    {
        quint32 type = textType;
        QString data;     // the characters stored, a terminating zero included if stored
        qint64 size = -1; // the size reported, in characters; -1: the size of `data`
    };

    // A text stored the usual way, its terminating zero counted in its size.
    void setText(const QString &path, const QString &name, const QString &text)
    {
        setValue(path, name, {textType, text + QChar(u'\0')});
    }
    void setValue(const QString &path, const QString &name, const Value &value,
                  quint32 root = localMachine)
    {
        m_keys[keyId(root, path)][name.toLower()] = value;
    }
    void addKey(const QString &path, quint32 root = localMachine) { m_keys[keyId(root, path)]; }

    bool openKey(quint32 root, const QString &path, quint32 accessMask, Key &key) override
    {
        accessMasks << accessMask;
        if (root == localMachine && (accessMask & writeRights) != 0)
            return false;
        const auto found = m_keys.constFind(keyId(root, path));
        if (found == m_keys.cend())
            return false;
        key = ++m_lastKey;
        m_open.insert(key, found.key());
        return true;
    }

    bool queryValue(Key key, const QString &name, quint32 &type, std::span<QChar> data,
                    quint32 &dataSize) override
    {
        queried << name;
        const auto open = m_open.constFind(key);
        if (open == m_open.cend())
            return false;
        const auto values = m_keys.value(open.value());
        const auto found = values.constFind(name.toLower());
        if (found == values.cend())
            return false;
        const Value &value = found.value();
        const auto stored = static_cast<quint32>(value.data.size());
        if (stored > dataSize || stored > data.size()) {
            dataSize = stored;
            return false;
        }
        std::copy(value.data.cbegin(), value.data.cend(), data.begin());
        type = value.type;
        dataSize = value.size < 0 ? stored : static_cast<quint32>(value.size);
        return true;
    }

    void closeKey(Key key) override
    {
        if (!m_open.remove(key))
            ++strayCloses;
    }

    qsizetype keysOpen() const { return m_open.size(); }

    QList<quint32> accessMasks;
    QStringList queried;
    int strayCloses = 0; // closes of keys that were not open

private:
    static QString keyId(quint32 root, const QString &path)
    {
        return QString::number(root) + QLatin1Char(':') + path.toLower();
    }

    QHash<QString, QHash<QString, Value>> m_keys;
    QHash<Key, QString> m_open;
    Key m_lastKey = 100;
};
