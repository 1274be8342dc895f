#include "QSettingsStore.h"

#include "IniFileCheck.h"
#include "StaleLock.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace {

QString settingsKey(const QString &section, const QString &key)
{
    return section + u'/' + key;
}

QString toText(const QVariant &value)
{
    if (!value.isValid())
        return {};
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    // A hand-written list with an item that starts with "@" comes back as a list of variants.
    if (value.typeId() == QMetaType::QVariantList) {
        QStringList items;
        for (const QVariant &item : value.toList())
            items << toText(item);
        return items.join(u',');
    }
    if (value.canConvert<QString>())
        return value.toString();
    return {}; // a type with no text form, such as a hand-written "@Rect(...)"
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Copies the file beside itself unless an earlier copy already holds the same text.
bool backUp(const QString &path, const QByteArray &content)
{
    for (int n = 1; n < 1000; ++n) {
        const QString copy =
            path + (n == 1 ? QStringLiteral(".bak") : QStringLiteral(".bak%1").arg(n));
        if (QFileInfo::exists(copy)) {
            if (readAll(copy) == content)
                return true;
            continue;
        }
        QFile file(copy);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return false;
        const bool written = file.write(content) == content.size() && file.flush();
        file.close();
        if (!written) {
            file.remove();
            qWarning() << "settings: cannot copy" << path << "to" << copy;
        }
        return written;
    }
    return false;
}

// Checks the file before QSettings reads or rewrites it: mends lines that would swallow the
// keys below them and, before a rewrite, keeps a copy of text the rewrite would drop. Holds
// QSettings' own lock file meanwhile, so another instance of the program is not rewriting
// it at the same moment.
void guardFile(const QString &path, bool beforeRewrite)
{
    if (!QFileInfo::exists(path))
        return;
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(10'000)) {
        qWarning() << "settings: cannot lock" << path;
        return;
    }
    const QByteArray content = readAll(path);
    const IniFileCheck::Result check = IniFileCheck::inspect(content);
    if (check.runsOn) {
        if (!backUp(path, content))
            return; // leave the file as the user wrote it rather than change it uncopied
        QSaveFile mended(path);
        if (!mended.open(QIODevice::WriteOnly) ||
            mended.write(check.mended) != check.mended.size() || !mended.commit())
            qWarning() << "settings: cannot mend" << path;
    } else if (check.dropsText && beforeRewrite) {
        backUp(path, content);
    }
}

QString organization()
{
    return QStringLiteral("Tarnwick");
}

// Where QSettings keeps an application's INI file in the user scope, worked out without
// making QSettings read it.
QString expectedPath(const QString &application)
{
#ifdef Q_OS_WIN
    Q_UNUSED(application);
    return {}; // the roaming application-data folder; QSettings tells us after it has read
#else
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(config).filePath(organization() + u'/' + application + QStringLiteral(".ini"));
#endif
}

} // namespace

QSettingsStore::QSettingsStore(Access access)
    : m_access(access)
{}

QSettingsStore::~QSettingsStore() = default;

QSettingsStore::File &QSettingsStore::fileFor(const QString &application) const
{
    auto found = m_files.find(application);
    if (found != m_files.end())
        return found->second;

    // The file is mended before QSettings first reads it: QSettings keeps what it read in a
    // cache shared by the process and would not read a mended file of the same size again.
    const QString expected = expectedPath(application);
    if (!expected.isEmpty()) {
        // A lock left by a killed program would hold every read and write up for 30 s.
        StaleLock::clear(expected + QStringLiteral(".lock"));
        guard(expected, false);
    }
    File &file = m_files[application];
    file.settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                organization(), application);
    if (file.settings->fileName() != expected) {
        guard(file.settings->fileName(), false);
        file.settings->sync();
    }
    noteFile(file);
    return file;
}

QString QSettingsStore::read(const QString &application, const QString &section,
                             const QString &key) const
{
    return toText(fileFor(application).settings->value(settingsKey(section, key)));
}

QString QSettingsStore::fileName(const QString &application) const
{
    return fileFor(application).settings->fileName();
}

void QSettingsStore::write(const QString &application, const QString &section, const QString &key,
                           const QString &value)
{
    if (m_access == Access::ReadOnly)
        return;
    File &file = fileFor(application);
    if (!file.pendingWrites) {
        guard(file.settings->fileName(), true);
        file.pendingWrites = true;
    }
    file.settings->setValue(settingsKey(section, key), QVariant(value));
}

void QSettingsStore::refresh()
{
    for (auto &[application, file] : m_files) {
        const QString path = file.settings->fileName();
        const QFileInfo info(path);
        if (info.lastModified() == file.modified && info.size() == file.size)
            continue;
        // Mended as at the first read, then read again: QSettings' sync() takes in what
        // another program wrote.
        guard(path, false);
        file.settings->sync();
        noteFile(file);
    }
}

void QSettingsStore::guard(const QString &path, bool beforeRewrite) const
{
    if (m_access == Access::ReadWrite)
        guardFile(path, beforeRewrite);
}

void QSettingsStore::noteFile(File &file)
{
    const QFileInfo info(file.settings->fileName());
    file.modified = info.lastModified();
    file.size = info.exists() ? info.size() : -1;
}

void QSettingsStore::flush()
{
    for (auto &[application, file] : m_files) {
        if (!file.pendingWrites)
            continue; // nothing written since the last sync
        file.settings->sync();
        file.pendingWrites = false;
        noteFile(file);
        if (file.settings->status() == QSettings::AccessError)
            qWarning() << "settings: cannot write" << file.settings->fileName();
    }
}
