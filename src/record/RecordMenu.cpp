#include "RecordMenu.h"

#include "MessageBox.h"
#include "RecordFiles.h"
#include "Recorder.h"
#include "SettingsKeys.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace {

struct Choice
{
    int value;
    const char *text;
};

// Seconds between rows: a frame's row at the fastest poll is about 180 ms.
constexpr Choice paces[] = {{0, QT_TRANSLATE_NOOP("RecordMenu", "Every &Frame")},
                            {1, QT_TRANSLATE_NOOP("RecordMenu", "Every &Second")},
                            {10, QT_TRANSLATE_NOOP("RecordMenu", "Every &10 Seconds")},
                            {60, QT_TRANSLATE_NOOP("RecordMenu", "Every &Minute")}};
constexpr Choice keeps[] = {{0, QT_TRANSLATE_NOOP("RecordMenu", "&Forever")},
                            {7, QT_TRANSLATE_NOOP("RecordMenu", "&7 Days")},
                            {30, QT_TRANSLATE_NOOP("RecordMenu", "&30 Days")},
                            {90, QT_TRANSLATE_NOOP("RecordMenu", "&90 Days")},
                            {365, QT_TRANSLATE_NOOP("RecordMenu", "&365 Days")}};

template<std::size_t N>
QActionGroup *addChoices(QMenu *menu, const Choice (&choices)[N])
{
    auto *group = new QActionGroup(menu);
    for (const Choice &choice : choices) {
        QAction *action = menu->addAction(RecordMenu::tr(choice.text));
        action->setCheckable(true);
        action->setData(choice.value);
        group->addAction(action);
    }
    return group;
}

// Checks the choice of `value`; a value stored by hand that the menu does not offer gets an
// item of its own, so the menu always says what the recording does.
void check(QActionGroup *group, int value, const QString &otherText)
{
    if (!group)
        return;
    for (QAction *action : group->actions()) {
        if (action->data().toInt() == value) {
            action->setChecked(true);
            return;
        }
    }
    auto *menu = qobject_cast<QMenu *>(group->parent());
    QAction *action = menu->addAction(otherText.arg(value));
    action->setCheckable(true);
    action->setData(value);
    group->addAction(action);
    action->setChecked(true);
}

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

RecordMenu::RecordMenu(Items items, Recorder &recorder, MessageBox &messages, QWidget *window,
                       SettingsStore *store, FolderQuestion ask)
    : QObject(items.record)
    , m_items(items)
    , m_recorder(recorder)
    , m_messages(messages)
    , m_window(window)
    , m_store(store)
    , m_ask(std::move(ask))
    , m_lastFolder(RecordFiles::defaultFolder())
{
    if (items.every) {
        m_everyChoices = addChoices(items.every, paces);
        connect(m_everyChoices, &QActionGroup::triggered, this, [this](QAction *action) {
            choose(action->data().toInt(), m_recorder.plan().keepDays);
        });
    }
    if (items.keep) {
        m_keepChoices = addChoices(items.keep, keeps);
        connect(m_keepChoices, &QActionGroup::triggered, this, [this](QAction *action) {
            choose(m_recorder.plan().everySeconds, action->data().toInt());
        });
    }
    if (store)
        recorder.setPlan({RecordKeys::read(*store, RecordKeys::every),
                          RecordKeys::read(*store, RecordKeys::keepDays)});
    connect(items.record, &QAction::triggered, this, &RecordMenu::recordTriggered);
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

void RecordMenu::choose(int every, int keepDays)
{
    m_recorder.setPlan({every, keepDays});
    if (!m_store)
        return;
    RecordKeys::save(*m_store, RecordKeys::every, m_recorder.plan().everySeconds);
    RecordKeys::save(*m_store, RecordKeys::keepDays, m_recorder.plan().keepDays);
}

void RecordMenu::showState()
{
    m_items.record->setText(m_recorder.isRecording() ? tr("Stop &Recording")
                                                     : tr("Start &Recording..."));
    m_items.status->setText(m_recorder.statusText());
    check(m_everyChoices, m_recorder.plan().everySeconds, tr("Every %1 Seconds"));
    check(m_keepChoices, m_recorder.plan().keepDays, tr("%1 Days"));
}
