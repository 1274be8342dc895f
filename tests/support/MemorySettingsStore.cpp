#include "MemorySettingsStore.h"

QString MemorySettingsStore::read(const QString &application, const QString &section,
                                  const QString &key) const
{
    m_reads << application + u'/' + section + u'/' + key;
    const auto found = m_values.find({application, section, key});
    return found == m_values.end() ? QString() : found->second;
}

void MemorySettingsStore::preset(const QString &application, const QString &section,
                                 const QString &key, const QString &value)
{
    m_values[{application, section, key}] = value;
}

bool MemorySettingsStore::contains(const QString &application, const QString &section,
                                   const QString &key) const
{
    return m_values.contains({application, section, key});
}

void MemorySettingsStore::clearLog()
{
    m_saves.clear();
    m_reads.clear();
    m_flushes = 0;
}

void MemorySettingsStore::write(const QString &application, const QString &section,
                                const QString &key, const QString &value)
{
    m_values[{application, section, key}] = value;
    m_saves.append({application, section, key, value});
    ++m_unflushed;
}

void MemorySettingsStore::flush()
{
    ++m_flushes;
    m_unflushed = 0;
}
