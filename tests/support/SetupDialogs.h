#pragma once

// The monitor's dialogs for tests that open the real setup dialog: the setup dialog on the
// given store, no about box, and a colour picker that is always cancelled. Header only: a
// test that includes it links tarnwick_setup.
#include "ColorPicker.h"
#include "MonitorDialogs.h"
#include "frmSetup.h"

#include <QPointer>

class NoColors final : public ColorPicker
{
public:
    std::optional<quint32> pickColor(QWidget *, quint32) override { return std::nullopt; }
};

class SetupDialogs final : public MonitorDialogs
{
public:
    explicit SetupDialogs(const SetupPlatform &platform)
        : m_platform(platform)
    {}
    void showAbout(frmMonitor &) override {}
    SetupDialog *createSetup(frmMonitor &monitor) override
    {
        last = new frmSetup(monitor, m_platform);
        return last.data();
    }
    QPointer<frmSetup> last;

private:
    SetupPlatform m_platform;
};
