#pragma once

#include "AboutPlatform.h"
#include "MonitorDialogs.h"

// The windows the monitor window opens, made with the program's real platform services.
class ProgramDialogs final : public MonitorDialogs
{
public:
    explicit ProgramDialogs(const AboutPlatform &about);

    void showAbout(frmMonitor &monitor) override;
    SetupDialog *createSetup(frmMonitor &monitor) override;

private:
    AboutPlatform m_about;
};
