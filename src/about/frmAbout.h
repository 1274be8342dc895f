#pragma once

#include "AboutPlatform.h"

#include <QDialog>
#include <QPointer>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

// The about box: the program's title, version and description, and a button that starts
// the system-information program. It is modeless and deletes itself when it closes. The
// window it is given (the monitor) owns it and is disabled while the box is shown, so it
// takes no input while its timers and display run on; every way of closing the box (OK,
// Escape, the close box) enables that window again. The monitor's menu opens it with
//
//     auto *box = new frmAbout(this, platform);
//     box->show();
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    // `owner` (may be null) becomes the box's parent and is the window disabled while the
    // box is shown.
    frmAbout(QWidget *owner, const AboutPlatform &platform);

    // The window title, title and version texts.
    void Form_Load();

    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Escape and accept() come here too: they close the box the way OK does.
    void done(int result) override;

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    // The etched separator: the grey line and, under it, the white one.
    std::array<QFrame *, 2> Line1{};
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();

    QPointer<QWidget> m_owner;
    AboutPlatform m_platform;
};
