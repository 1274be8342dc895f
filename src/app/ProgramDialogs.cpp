#include "ProgramDialogs.h"

#include "frmAbout.h"
#include "frmMonitor.h"

ProgramDialogs::ProgramDialogs(const AboutPlatform &about, const SetupPlatform &setup)
    : m_about(about)
    , m_setup(setup)
{}

ProgramDialogs::~ProgramDialogs()
{
    delete m_setupDialog.data();
}

void ProgramDialogs::showAbout(frmMonitor &monitor)
{
    auto *box = new frmAbout(&monitor, m_about);
    box->show();
}

SetupDialog *ProgramDialogs::createSetup(frmMonitor &monitor)
{
    // Hidden, its load not yet run: the monitor runs it once it knows the dialog.
    m_setupDialog = new frmSetup(monitor, m_setup);
    return m_setupDialog.data();
}
