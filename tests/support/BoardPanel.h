#pragma once

// The monitor window on a simulated board, over a real pseudo-terminal and the real
// serial-port adapter, with its settings in memory. Header only: a test that includes it
// links tarnwick_monitor and tarnwick_boardsim.
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "PtyBoard.h"
#include "QtSerialPortAdapter.h"
#include "SettingsKeys.h"
#include "frmMonitor.h"

#include <QTest>
#include <memory>

struct BoardPanel
{
    MemorySettingsStore store;
    QtSerialPortAdapter port;
    FakeMessageBox messages;
    PtyBoard board;
    std::unique_ptr<frmMonitor> window; // last, so it goes before the port and the board

    void preset(SettingsKey key, const QString &value, int index = -1)
    {
        store.preset(SettingsKeys::application, SettingsKeys::section,
                     SettingsKeys::keyName(key, index), value);
    }

    // Starts the board as COM `boardPort` and makes that the window's stored port, then
    // makes the window (not yet loaded, so a test can attach to it first).
    bool startBoardAndWindow(int boardPort, MonitorDialogs *dialogs = nullptr)
    {
        if (!board.start(boardPort)) {
            qWarning() << "board:" << board.errorString();
            return false;
        }
        preset(Keys::MeterComPort, QString::number(boardPort));
        window =
            std::make_unique<frmMonitor>(MonitorPlatform{store, port, messages, nullptr, dialogs});
        return true;
    }

    // Until the board has answered and the window has lit its link lamp.
    bool awaitLink(int within) const
    {
        return QTest::qWaitFor([&] { return window->poll().linkLit(); }, within);
    }
};
