#pragma once

#include "PreferenceHolders.h"
#include "SetupHost.h"

#include <QWidget>
#include <array>

class ColorPicker;
class CommPortPage;
class MacrosPage;
class MetersPage;
class NamesPage;
class RelayNamesPage;
class QTabWidget;
class SettingsStore;

// What the setup dialog talks to besides the monitor window: the same store the monitor
// uses, and the colour-choice dialog.
struct SetupPlatform
{
    SettingsStore &store;
    ColorPicker &colors;
};

// The setup dialog: serial port, meters, names and macros, edited live on the monitor
// window behind it. A top-level window of its own, without a parent: the monitor is
// disabled while the dialog is shown, and a child would be disabled with it. It deletes
// itself when the user closes it.
//
// The monitor creates it hidden, without its load, and runs Form_Load() right after: the
// load-all inside asks the monitor for the macro-string fields again, and must find this
// dialog then.
class frmSetup final : public QWidget, public SetupDialog, public MacroStringHolders
{
    Q_OBJECT

public:
    static constexpr int firstTab = 3; // "Macros A"

    frmSetup(SetupHost &host, const SetupPlatform &platform);

    // SetupDialog
    QWidget *window() override { return this; }
    void Form_Load() override;
    MacroStringHolders &macroStrings() override { return *this; }

    // MacroStringHolders: the boxes of the two macro tabs.
    QString onString(int n) const override;
    void setOnString(int n, const QString &text) override;
    QString offString(int n) const override;
    void setOffString(int n, const QString &text) override;

    // A port chosen from the list.
    void ComboComm_Click();
    // The Comm Port tab gave port n a new device, or took its link away.
    void portLinkChanged(int number);
    // Saves everything and hands the monitor window back to the user.
    void Form_Unload();

    // The digits of the port last chosen from the list.
    QString comport;

    QTabWidget *SSTab1 = nullptr;
    CommPortPage *commPortPage = nullptr;
    MetersPage *metersPage = nullptr;
    NamesPage *namesPage = nullptr;
    RelayNamesPage *relayNamesPage = nullptr;
    std::array<MacrosPage *, 2> macrosPages{};

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    MacrosPage &macrosPage(int n) const;

    SetupHost &m_host;
    SettingsStore &m_store;
    bool m_unloaded = false;
};
