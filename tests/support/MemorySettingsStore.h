#pragma once

#include "SettingsStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <map>
#include <tuple>

// A settings store for unit tests: it keeps the values in memory, records every save in order
// and counts flushes, so a test can tell what was written, in which order, and how often the
// file would have been rewritten.
class MemorySettingsStore final : public SettingsStore
{
public:
    struct Save
    {
        QString application;
        QString section;
        QString key;
        QString value;

        friend bool operator==(const Save &, const Save &) = default;
    };

    QString read(const QString &application, const QString &section,
                 const QString &key) const override;

    // Puts a value in place as if it had been stored earlier: not recorded, not flushed.
    void preset(const QString &application, const QString &section, const QString &key,
                const QString &value);
    bool contains(const QString &application, const QString &section, const QString &key) const;
    int size() const { return int(m_values.size()); }

    const QList<Save> &saves() const { return m_saves; }
    // The keys read, in order, as "application/section/key".
    const QStringList &reads() const { return m_reads; }
    int flushCount() const { return m_flushes; }
    // Saves that were not yet flushed when the test looks.
    int unflushedSaves() const { return m_unflushed; }
    void clearLog();

protected:
    void write(const QString &application, const QString &section, const QString &key,
               const QString &value) override;
    void flush() override;

private:
    using Address = std::tuple<QString, QString, QString>;

    std::map<Address, QString> m_values;
    QList<Save> m_saves;
    mutable QStringList m_reads;
    int m_flushes = 0;
    int m_unflushed = 0;
};
