#pragma once

class frmMonitor;
class MacroStringHolders;
class QWidget;

// The setup dialog as the monitor window needs it: the dialog lives in a part of the program
// that builds on the monitor window, so the monitor knows it only by this interface.
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

// The windows the monitor opens that belong to other parts of the program; the program
// supplies them.
class MonitorDialogs
{
public:
    virtual ~MonitorDialogs() = default;
    // Shows the about box, which disables the monitor window until it closes.
    virtual void showAbout(frmMonitor &monitor) = 0;
    // Creates the setup dialog, hidden, without running its load.
    virtual SetupDialog *createSetup(frmMonitor &monitor) = 0;
};
