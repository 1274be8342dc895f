#include "RecordMenu.h"

#include "MessageBox.h"
#include "RecordFiles.h"
#include "Recorder.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// The outermost folder of `path` that is not there yet; empty when the whole path is.
QString firstMissingFolder(const QString &path)
{
    QString missing;
    for (QString folder = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
         !QFileInfo::exists(folder); folder = QFileInfo(folder).path()) {
        missing = folder;
        if (QFileInfo(folder).path() == folder)
            break; // the root itself
    }
    return missing;
}

} // namespace

RecordMenu::RecordMenu(QAction *record, QAction *status, Recorder &recorder, MessageBox &messages,
                       QWidget *window, FolderQuestion ask)
    : QObject(record)
    , m_record(record)
    , m_status(status)
    , m_recorder(recorder)
    , m_messages(messages)
    , m_window(window)
    , m_ask(std::move(ask))
    , m_lastFolder(RecordFiles::defaultFolder())
{
    connect(record, &QAction::triggered, this, &RecordMenu::recordTriggered);
    connect(&recorder, &Recorder::stateChanged, this, &RecordMenu::showState);
    connect(&recorder, &Recorder::stoppedByItself, this, [this](const QString &reason) {
        m_messages.showMessage(m_window, tr("Tarnwick"), tr("Recording stopped."), reason);
    });
    showState();
}

QString RecordMenu::askForFolder(QWidget *parent, const QString &proposed)
{
    // The dialog takes only a folder that is there, and the one proposed often is not yet
    // (Documents/Tarnwick before the first recording). It is made for the dialog and taken
    // away again, where it is still empty, unless it is the one chosen.
    const QString made = firstMissingFolder(proposed);
    if (!made.isEmpty())
        QDir().mkpath(proposed);
    const QString chosen =
        QFileDialog::getExistingDirectory(parent, tr("Record to Folder"), proposed);
    if (!made.isEmpty() && QDir::cleanPath(chosen) != QDir::cleanPath(proposed)) {
        // Only what was made here, each folder only while empty.
        for (QString folder = QDir::cleanPath(proposed);; folder = QFileInfo(folder).path()) {
            if (!QDir().rmdir(folder) || folder == made)
                break;
        }
    }
    return chosen;
}

void RecordMenu::recordTriggered()
{
    if (m_recorder.isRecording()) {
        m_recorder.stop();
        return;
    }
    const QString folder = m_ask(m_window, m_lastFolder);
    if (folder.isEmpty())
        return;
    m_lastFolder = folder;
    if (const std::optional<QString> problem = m_recorder.start(folder))
        m_messages.showMessage(m_window, tr("Tarnwick"), tr("Recording cannot start."), *problem);
}

void RecordMenu::showState()
{
    m_record->setText(m_recorder.isRecording() ? tr("Stop &Recording") : tr("Start &Recording..."));
    m_status->setText(m_recorder.statusText());
}
