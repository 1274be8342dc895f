#pragma once

#include "SettingsStore.h"

#include <QDateTime>
#include <QString>
#include <map>
#include <memory>

class QSettings;

// The settings store on QSettings: an INI file per application in the user's configuration
// folder (on Linux $XDG_CONFIG_HOME/Tarnwick/<application>.ini), one group per section.
//
// Text goes in and comes out exactly. A value a user typed by hand that QSettings reads as a
// list ("OnString0=05,12," without quotes) reads as its items joined by ","; a value it
// cannot read ("@Invalid()", an undecodable "@Variant(...)") reads as the empty text.
//
// A hand-edited file never costs the user their other keys. A line that would run on into
// the lines below it (an unclosed quote, a final backslash) is mended before the file is
// read, and a file whose next rewrite would drop text QSettings does not keep (comments,
// lines without "=") is first copied beside itself as <application>.ini.bak (.bak2, .bak3,
// ... when an earlier copy with other content is there).
//
// A read-only store (the service's) never touches the files: saves are dropped, and a line
// that runs on is read as QSettings reads it rather than mended.
class QSettingsStore final : public SettingsStore
{
public:
    enum class Access { ReadWrite, ReadOnly };

    explicit QSettingsStore(Access access = Access::ReadWrite);
    ~QSettingsStore() override;
    QSettingsStore(const QSettingsStore &) = delete;
    QSettingsStore &operator=(const QSettingsStore &) = delete;

    QString read(const QString &application, const QString &section,
                 const QString &key) const override;

    void refresh() override;

    // The file that holds an application's settings.
    QString fileName(const QString &application) const;

protected:
    void write(const QString &application, const QString &section, const QString &key,
               const QString &value) override;
    void flush() override;

private:
    struct File
    {
        std::unique_ptr<QSettings> settings;
        bool pendingWrites = false; // written since the last sync; the file has been checked
        QDateTime modified;         // the file's time when it was last read or written
        qint64 size = -1;
    };

    File &fileFor(const QString &application) const;
    static void noteFile(File &file);

    // Mends the file before it is read or rewritten, unless the store is read-only.
    void guard(const QString &path, bool beforeRewrite) const;

    Access m_access;
    mutable std::map<QString, File> m_files;
};
