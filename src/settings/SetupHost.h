#pragma once

class MacroStringHolders;
class PanelCore;
class PreferenceHolders;
class Preferences;
class QWidget;

// The setup dialog as the monitor window needs it: the dialog lives in a part of the program
// that builds on the window's holders, so the window knows it only by this interface.
class SetupDialog
{
public:
    virtual ~SetupDialog() = default;
    // The dialog's window; it deletes itself when the user closes it.
    virtual QWidget *window() = 0;
    // The dialog's load: a load-all of its own, then its pages.
    virtual void Form_Load() = 0;
    // The 64 macro-string fields, holders of "OnString" n and "OffString" n.
    virtual MacroStringHolders &macroStrings() = 0;
};

// What the setup dialog edits live and whom it tells, as the monitor window hands it over:
// the elements that hold the names, macro captions, gauges, poll interval and serial port,
// the load-all and save-all over them, and the window's taking input again.
class SetupHost
{
public:
    virtual ~SetupHost() = default;
    virtual PreferenceHolders &holders() = 0;
    virtual Preferences &preferences() = 0;
    // The panel's core, which holds the relays' names.
    virtual PanelCore &panelCore() = 0;
    // The dialog has saved everything and is closing.
    virtual void setupClosed() = 0;
};
