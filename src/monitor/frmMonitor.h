#pragma once

#include "MonitorHolders.h"
#include "MonitorLayout.h"
#include "PanelCore.h"
#include "PanelNames.h"
#include "PanelOptions.h"
#include "Preferences.h"
#include "RegInit.h"
#include "SetupHost.h"
#include "StatusDecoders.h"

#include <QMainWindow>
#include <optional>

class HelpViewer;
class MessageBox;
class QMenu;
class MonitorDialogs;
class SetupDialog;
class SerialPort;
class SettingsStore;

// What the monitor window talks to outside itself; the program passes the real ones, the
// tests their fakes.
struct MonitorPlatform
{
    SettingsStore &store;
    SerialPort &port;
    MessageBox &messages;
    HelpViewer *help = nullptr;        // no help menu without one
    MonitorDialogs *dialogs = nullptr; // no setup dialog or about box without them
};

// The main window: the board's live state as the panel core holds it, and the controls that
// act on it through the core. The window holds the settings the core asks for (scales,
// multipliers, names, "Deg C", "WDT") in its elements.
class frmMonitor : public QMainWindow, public SetupHost, private PanelOptions, private RegInitSource
{
    Q_OBJECT

public:
    explicit frmMonitor(const MonitorPlatform &platform, QWidget *parent = nullptr);
    ~frmMonitor() override;

    // The start: seeds and loads the settings, opens the serial port, starts the poll.
    void Form_Load();
    // The end: saves every setting, stops the poll and ends the program.
    void Form_Unload();
    bool isUnloaded() const { return m_unloaded; }

    PanelCore &core() { return *m_core; }
    StatusPoll &poll() { return m_core->poll(); }
    Preferences &preferences() override { return m_preferences; }
    PreferenceHolders &holders() override { return m_holders; }
    SerialPort &MSComm1() { return m_port; }

    // Colours of a relay or input reported on and off, 0x00BBGGRR; unset until the port has
    // opened at start.
    std::optional<quint32> OnColor;
    std::optional<quint32> OffColor;

    // The poll interval as loaded from "Meter Response": text or a number.
    QString mtr_response() const { return m_mtrResponse; }
    void setMtrResponse(const QString &text);

    static QString portUnavailableMessage(const QString &port);

    // Moves an analog output's slider (output 1 or 2) to a position the load-all read from
    // the store: the readout and the value pending for the board follow as on the user's
    // change, but the key is not written back, so a stored text the slider shows only
    // approximately ("1e308", "-5", "12.0") stays as it was written.
    void setAnalogOutFromStore(int output, int value);

    // Geometry in twips, as the stored settings and the views count it. The outer height
    // takes in the caption, menu and borders of the window.
    int outerHeight() const;
    void setOuterHeight(double twips);
    float windowLeft() const override;
    float windowTop() const override;
    // Moves the window, keeping enough of it on a screen to be reached.
    void moveTo(double leftTwips, double topTwips);

    // The setup dialog, created hidden (its load runs then) when it does not exist yet.
    SetupDialog *setupDialog();
    // Its macro-string fields, the holders of the relay lists.
    MacroStringHolders *macroStrings();
    // What the setup dialog does as it closes, after its save-all: the window takes input
    // again, the link the dialog may have closed is opened again, and the poll resumes.
    void setupClosed() override;
    PanelCore &panelCore() override { return *m_core; }
    // Opens the link as the start does, when it is not open: the port named by
    // "Meter-ComPort", with the same message when it is not available.
    void reopenLink();
    // Puts the link's state on the lamp and its tooltip, and dims values that are old.
    void showLinkState();

    // Relay buttons, by bank: each inverts its relay. "R16" is locked while "WDT" is checked.
    void cmdRelayA_Click(int index) { relayClick(0, index); }
    void cmdRelayB_Click(int index) { relayClick(1, index); }
    void cmdRelayC_Click(int index) { relayClick(2, index); }
    void cmdRelayD_Click(int index) { relayClick(3, index); }
    void cmdRelayE_Click(int index) { relayClick(4, index); }
    void cmdRelayF_Click(int index) { relayClick(5, index); }
    void cmdRelayG_Click(int index) { relayClick(6, index); }
    void cmdRelayH_Click(int index) { relayClick(7, index); }
    void cmdMacro_Click(int index);
    // The click of the relay button at a bank (0..7, A..H) and position, as the bank's
    // handler above runs it.
    void relayClick(int bank, int index);
    void Command1_Click();
    void VScroll1_Change();
    void VScroll2_Change();

    // The colours a frame paints with. Unset only until the port first opens: a link
    // opened later still shows its states in the usual colours.
    quint32 onColor() const;
    quint32 offColor() const;

    void chkOnTop_Click();
    void mnuExit_Click();
    void mnuSetup_Click();
    void mnuHelpContents_Click();
    void mnuHelpAbout_Click();
    void mnuNorm_Click();
    void mnuDiag_Click();

    // Every element of the window, by its name.
    MonitorWidgets w;
    QAction *mnuExit = nullptr;
    QAction *mnuSetup = nullptr;
    QAction *mnuNorm = nullptr;
    QAction *mnuDiag = nullptr;
    QAction *mnuRecord = nullptr;       // "Start Recording..." or "Stop Recording"
    QAction *mnuRecordStatus = nullptr; // disabled: what the recording is doing
    QMenu *mnuRecordEvery = nullptr;    // the recording's pace: a row every frame, or slower
    QMenu *mnuRecordKeep = nullptr;     // how many days of recordings stay
    QAction *mnuTrends = nullptr;
    QAction *mnuHelpContents = nullptr;
    QAction *mnuHelpAbout = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectControls();
    void showOutput(int output, int value);
    void showMacroTexts(const MacroCommand::MacroResult &result);
    void showFrame(const FrameUpdate &update);
    void showName(PanelNames::Kind kind, int index);
    // Give the lamps and relay buttons the colours of the frame and of the core's state.
    void paintLamps(const StatusDecoders::InputDisplay &inputs);
    void paintRelays();
    void keepShownLights(const StatusDecoders::TickDisplay &tick);
    // Describes the readouts and the kept lights to assistive technology.
    void describeShown();
    void buildMenus();
    bool openPortAtStart();
    void changeView(int outerHeightTwips);

    // PanelOptions
    double meterScaleMax(int m) const override;
    QString meterMultiplier(int m) const override;
    QString meterCaption(int m) const override;
    bool temperatureInCelsius() const override;
    bool relayLocked(int relay) const override;

    // RegInitSource
    QString macroCaption(int index) const override;
    QString inputCaption(int index) const override;
    float windowHeight() const override;

    SettingsStore &m_store;
    SerialPort &m_port;
    MessageBox &m_messages;
    HelpViewer *m_help;
    MonitorDialogs *m_dialogs;
    SetupDialog *m_setup = nullptr;
    MonitorHolders m_holders;
    Preferences m_preferences;
    PanelCore *m_core = nullptr;
    QString m_mtrResponse;
    int m_outerHeight = MonitorLayout::normalHeight;
    bool m_unloaded = false;
    bool m_applyingStoredOutput = false;
    // The lights as frames last painted them: inputs from the last frame, relays from the
    // last frame whose banks decoded. Empty until a frame is shown.
    std::optional<StatusDecoders::TickDisplay> m_shownLights;
};
