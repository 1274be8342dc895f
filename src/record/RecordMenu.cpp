#include "RecordMenu.h"

#include "MessageBox.h"
#include "RecordFiles.h"
#include "Recorder.h"

#include <QAction>
#include <QFileDialog>

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
    return QFileDialog::getExistingDirectory(parent, tr("Record to Folder"), proposed);
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
