#pragma once

#include "AboutPlatform.h"
#include "MonitorDialogs.h"
#include "frmSetup.h"

#include <QPointer>

// The windows the monitor window opens, made with the program's real platform services.
class ProgramDialogs final : public MonitorDialogs
{
public:
    ProgramDialogs(const AboutPlatform &about, const SetupPlatform &setup);
    // A setup dialog still held hidden when the program ends goes with the dialogs.
    ~ProgramDialogs() override;

    void showAbout(frmMonitor &monitor) override;
    SetupDialog *createSetup(frmMonitor &monitor) override;

private:
    AboutPlatform m_about;
    SetupPlatform m_setup;
    QPointer<frmSetup> m_setupDialog;
};
