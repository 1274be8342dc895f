#pragma once

#include <QObject>
#include <QString>
#include <functional>

class MessageBox;
class QAction;
class QActionGroup;
class QMenu;
class QWidget;
class Recorder;
class SettingsStore;

// The Tools menu's recording items: "Start Recording..." asks for the folder and starts,
// "Stop Recording" stops, and the disabled item below says what the recording does, or why
// it stopped. "Record Every" and "Keep Recordings" choose the recording's pace and the days
// kept, for a recording that runs and for the next, and store the choice. A recording that
// stopped by itself is told in a message above the window.
class RecordMenu : public QObject
{
    Q_OBJECT

public:
    // Asks the user for a folder, starting at `proposed`; empty when the user cancelled.
    using FolderQuestion = std::function<QString(QWidget *parent, const QString &proposed)>;

    struct Items
    {
        QAction *record = nullptr;
        QAction *status = nullptr;
        QMenu *every = nullptr; // filled here with the paces; none when left out
        QMenu *keep = nullptr;  // filled here with the days kept; none when left out
    };

    // With a store, the pace and days kept are read from it now and saved as they are chosen.
    RecordMenu(Items items, Recorder &recorder, MessageBox &messages, QWidget *window,
               SettingsStore *store = nullptr, FolderQuestion ask = askForFolder);

    // The folder dialog, opened at `proposed`, which is made for it when it is not there
    // and kept only when it is chosen.
    static QString askForFolder(QWidget *parent, const QString &proposed);

private:
    void recordTriggered();
    void showState();
    void choose(int every, int keepDays);

    Items m_items;
    Recorder &m_recorder;
    MessageBox &m_messages;
    QWidget *m_window;
    SettingsStore *m_store;
    FolderQuestion m_ask;
    QString m_lastFolder;
    QActionGroup *m_everyChoices = nullptr;
    QActionGroup *m_keepChoices = nullptr;
};
