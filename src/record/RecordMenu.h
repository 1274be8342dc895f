#pragma once

#include <QObject>
#include <QString>
#include <functional>

class MessageBox;
class QAction;
class QWidget;
class Recorder;

// The Tools menu's recording items: "Start Recording..." asks for the folder and starts,
// "Stop Recording" stops, and the disabled item below says what the recording does, or why
// it stopped. A recording that stopped by itself is told in a message above the window.
class RecordMenu : public QObject
{
    Q_OBJECT

public:
    // Asks the user for a folder, starting at `proposed`; empty when the user cancelled.
    using FolderQuestion = std::function<QString(QWidget *parent, const QString &proposed)>;

    RecordMenu(QAction *record, QAction *status, Recorder &recorder, MessageBox &messages,
               QWidget *window, FolderQuestion ask = askForFolder);

    // The folder dialog, opened at `proposed`, which is made for it when it is not there
    // and kept only when it is chosen.
    static QString askForFolder(QWidget *parent, const QString &proposed);

private:
    void recordTriggered();
    void showState();

    QAction *m_record;
    QAction *m_status;
    Recorder &m_recorder;
    MessageBox &m_messages;
    QWidget *m_window;
    FolderQuestion m_ask;
    QString m_lastFolder;
};
