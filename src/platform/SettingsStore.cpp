#include "SettingsStore.h"

void SettingsStore::save(const QString &application, const QString &section, const QString &key,
                         const QString &value)
{
    write(application, section, key, value);
    if (m_batchDepth > 0)
        m_dirty = true;
    else
        flush();
}

SettingsStore::Batch::Batch(SettingsStore &store)
    : m_store(store)
{
    ++m_store.m_batchDepth;
}

SettingsStore::Batch::~Batch()
{
    if (--m_store.m_batchDepth == 0 && m_store.m_dirty) {
        m_store.m_dirty = false;
        m_store.flush();
    }
}
