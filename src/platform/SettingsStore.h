#pragma once

#include <QString>

// The per-user settings store: text by application, section and key. A key that does not
// exist reads as the empty text.
//
// Every change is on disk before the handler that made it returns. A single save is
// flushed at once; inside a Batch the flush waits until the outermost batch ends, so a
// load-all or save-all that writes hundreds of keys rewrites the file once.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;

    virtual QString read(const QString &application, const QString &section,
                         const QString &key) const = 0;
    void save(const QString &application, const QString &section, const QString &key,
              const QString &value);

    // Takes in what another program changed in the store since it was last read, so the
    // next read sees a file edited on disk while the panel runs.
    virtual void refresh() {}

    // Defers flushing while alive; batches nest.
    class Batch
    {
    public:
        explicit Batch(SettingsStore &store);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;

    private:
        SettingsStore &m_store;
    };

protected:
    virtual void write(const QString &application, const QString &section, const QString &key,
                       const QString &value) = 0;
    // Puts every written value on disk.
    virtual void flush() = 0;

private:
    int m_batchDepth = 0;
    bool m_dirty = false;
};
