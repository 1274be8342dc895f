#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QTableWidget;

// The "Comm Port" tab: the port list, and where each of its entries leads on this computer,
// so the user can tell which device "Com 3" is.
class CommPortPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int portCount = 9;

    explicit CommPortPage(QWidget *parent = nullptr);

    // Shows "Com " and the number in the list's text field, on its entry when it has one.
    void showPort(const QString &digits);

    // Looks again where each entry leads: links come and go while the dialog lives.
    void refreshDevices();

    // What the device column shows for port n.
    static QString deviceText(int number);

    QComboBox *ComboComm = nullptr;
    QLabel *lblDevice = nullptr; // where the list's current text leads
    QTableWidget *tblDevices = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showDeviceOfText();
};
