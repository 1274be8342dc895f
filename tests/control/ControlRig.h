#pragma once

// A panel with its control socket in the test process, on the simulated board over a real
// pseudo-terminal: the window, the one-panel claim whose socket the control server takes,
// and the core. Each test's own runtime folder keeps its socket apart from any other.
#include "BoardFrames.h"
#include "BoardPanel.h"
#include "CommandFrames.h"
#include "ControlCore.h"
#include "ControlServer.h"
#include "PanelInstance.h"
#include "frmMonitor.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace ControlTest {

inline constexpr int boardPort = 4;
inline constexpr int patience = 10000; // ms: an upper bound, never a delay

// Gives the test process a runtime folder of its own, so the panel's socket is made there.
struct RuntimeFolder
{
    QTemporaryDir folder;
    RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path())); }
};

struct Rig : BoardPanel
{
    PanelInstance instance;
    std::unique_ptr<ControlCore> core;
    std::unique_ptr<ControlServer> server;

    ~Rig()
    {
        // The server and the core go before the window they drive, the instance after it.
        server.reset();
        core.reset();
        window.reset();
    }

    // Starts the panel on the board with its socket listening; with `waitForLink` waits
    // until the board has answered and has taken what the panel sends at the first frame
    // (the stored analog output 2).
    bool start(MonitorDialogs *dialogs = nullptr, bool waitForLink = true)
    {
        if (instance.claim() != PanelInstance::Claim::Claimed || !instance.server() ||
            !startBoardAndWindow(boardPort, dialogs))
            return false;
        core = std::make_unique<ControlCore>(window->core());
        server = std::make_unique<ControlServer>(instance.server(), *core);
        window->Form_Load();
        if (!port.isOpen())
            return false;
        return !waitForLink || (awaitLink(patience) && awaitFreshFrame());
    }

    // Waits until the window has shown a frame asked for after this call: one the board
    // built from its state as it is now, and after every byte the panel wrote before it.
    bool awaitFreshFrame()
    {
        QSignalSpy shown(&window->poll(), &StatusPoll::frameShown);
        const int asked = board.statusRequests();
        return QTest::qWaitFor(
            [&] { return board.statusRequests() > asked + 1 && shown.count() >= 2; }, patience);
    }
};

} // namespace ControlTest
