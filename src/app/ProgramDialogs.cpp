#include "ProgramDialogs.h"

#include "frmAbout.h"
#include "frmMonitor.h"

ProgramDialogs::ProgramDialogs(const AboutPlatform &about)
    : m_about(about)
{
}

void ProgramDialogs::showAbout(frmMonitor &monitor)
{
    auto *box = new frmAbout(&monitor, m_about);
    box->show();
}

SetupDialog *ProgramDialogs::createSetup(frmMonitor &)
{
    return nullptr;
}
