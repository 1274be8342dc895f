#pragma once

// The monitor's dialogs for tests that open the real setup dialog. Header only: a test that
// includes it links tarnwick_setup and tarnwick_monitor.
#include "ColorPicker.h"
#include "MonitorDialogs.h"
#include "frmMonitor.h"
#include "frmSetup.h"

#include <QList>
#include <QPointer>

// Answers the colour picker as the test says, and remembers what it was asked.
class FakeColorPicker final : public ColorPicker
{
public:
    std::optional<quint32> pickColor(QWidget *, quint32 preselect) override
    {
        preselects << preselect;
        return answers.isEmpty() ? std::nullopt : answers.takeFirst();
    }
    QList<std::optional<quint32>> answers; // nothing: the user cancels
    QList<quint32> preselects;
};

// Creates the real setup dialog, as the program does, and counts how often.
class SetupDialogs final : public MonitorDialogs
{
public:
    explicit SetupDialogs(const SetupPlatform &platform)
        : m_platform(platform)
    {}
    void showAbout(frmMonitor &) override {}
    SetupDialog *createSetup(frmMonitor &monitor) override
    {
        ++created;
        last = new frmSetup(monitor, m_platform);
        return last.data();
    }

    int created = 0;
    QPointer<frmSetup> last;

private:
    SetupPlatform m_platform;
};
