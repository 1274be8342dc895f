#pragma once

#include "PortProblem.h"

#include <QWidget>

class LastPortOpen;
class QComboBox;
class QFileSystemWatcher;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTimer;

// The "Comm Port" tab: the port list; where each of its entries leads on this computer and
// whether it can be opened now; the serial devices this computer has; and the assigning of
// a device to the chosen "Com n" through its per-user link.
//
// A port's state is what looking at it shows, and, for the board's port, what its last open
// met that looking cannot show: the page never says "can be opened" of a port whose open
// has just failed.
class CommPortPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int portCount = 9;

    // `lastOpen` is the board's port, or null where there is none to ask; it outlives the
    // page.
    explicit CommPortPage(const LastPortOpen *lastOpen = nullptr, QWidget *parent = nullptr);

    // Shows "Com " and the number in the list's text field, on its entry when it has one.
    void showPort(const QString &digits);

    // Looks again where each entry leads and which devices there are: adapters and links
    // come and go while the dialog lives.
    void refreshDevices();

    // What the device column shows for port n.
    static QString deviceText(int number);
    // What the state column shows for port n: "can be opened", or why not; `lastOpen` is
    // what the last open of the board's port met.
    static QString stateText(int number, const PortProblem &lastOpen = {});

    // The port the list's text names; 0 when it names none.
    int chosenPort() const;

    // Links the device in txtDevice as the chosen port, or removes the chosen port's link.
    void cmdAssign_Click();
    void cmdRemoveLink_Click();

    QComboBox *ComboComm = nullptr;
    QLabel *lblDevice = nullptr;    // where the list's current text leads
    QLabel *lblPortState = nullptr; // whether it can be opened now, or why not
    // Both tables exist from the page's first showing on.
    QTableWidget *tblDevices = nullptr;
    QTableWidget *tblSerial = nullptr; // the serial devices this computer has
    QLineEdit *txtDevice = nullptr;
    QPushButton *cmdAssign = nullptr;
    QPushButton *cmdRemoveLink = nullptr;
    QLabel *lblAssign = nullptr; // what the last assignment did

Q_SIGNALS:
    // Port n's link was made, changed or removed: the next open of it leads elsewhere.
    void linkChanged(int number);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QString portState(int number) const;
    void makeTables();
    void showDeviceOfText();
    void refreshPorts();
    void refreshSerialDevices();
    void watchDevices(bool watch);

    const LastPortOpen *m_lastOpen = nullptr;
    QHBoxLayout *m_page = nullptr; // the page's two columns; the tables' comes with them
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer *m_settle = nullptr;
};
