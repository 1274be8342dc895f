#pragma once

#include "SetupHost.h"

class frmMonitor;

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
