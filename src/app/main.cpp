#include "ColorPicker.h"
#include "CommandLine.h"
#include "ControlCore.h"
#include "ControlServer.h"
#ifdef Q_OS_WIN
#include "WindowsRegistry.h"
#else
#include "DesktopRegistry.h"
#endif
#include "FileCheck.h"
#include "HelpViewer.h"
#include "Icons.h"
#include "MessageBox.h"
#include "ModalBoxes.h"
#include "MqttBridge.h"
#include "PanelInstance.h"
#include "ProcessStarter.h"
#include "ProgramDialogs.h"
#include "QSettingsStore.h"
#include "QtSerialPortAdapter.h"
#include "QuitSignals.h"
#include "RecordMenu.h"
#include "Recorder.h"
#include "TrendHistory.h"
#include "TrendMenu.h"
#include "frmMonitor.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

namespace {

// Whether Qt may find a screen here. Without one the window cannot start at all; it can still
// say that a service drives the board.
bool mayHaveScreen()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// A platform that shows nothing to anyone: what a message box would say goes to standard
// error instead.
bool showsNothing()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void tellServiceRuns(bool onScreen)
{
    if (!onScreen) {
        std::fprintf(stderr, "%s\n", PanelInstance::serviceMessage);
        return;
    }
    Icons::useForWindows();
    QMessageBox::information(nullptr, QStringLiteral("Tarnwick"),
                             QLatin1String(PanelInstance::serviceMessage));
}

} // namespace

int main(int argc, char *argv[])
{
    if (const std::optional<int> answered = CommandLine::answer(argc, argv))
        return *answered;
    if (!mayHaveScreen()) {
        const QCoreApplication probe(argc, argv);
        PanelInstance instance;
        if (instance.claim() == PanelInstance::Claim::OtherIsService) {
            tellServiceRuns(false);
            return 0;
        }
    } // the store is let go of again; the window's start below reports the missing screen

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnwick"));

    // Before the port or the settings are touched: a panel already running on this store
    // keeps them.
    PanelInstance instance;
    switch (instance.claim()) {
    case PanelInstance::Claim::Claimed:
    case PanelInstance::Claim::Failed: // no lock to be had: run as before, unguarded
        break;
    case PanelInstance::Claim::OtherRaised:
        return 0;
    case PanelInstance::Claim::OtherIsService:
        tellServiceRuns(!showsNothing());
        return 0;
    case PanelInstance::Claim::OtherUnreachable:
        Icons::useForWindows();
        QMessageBox::information(nullptr, QStringLiteral("Tarnwick"),
                                 QStringLiteral("Tarnwick is already running."));
        return 0;
    }
    QuitSignals quitSignals;

    QSettingsStore store;
    QtSerialPortAdapter port;
    QtMessageBox messages;
    QtHelpViewer help;
#ifdef Q_OS_WIN
    WindowsRegistry registry;
#else
    DesktopRegistry registry;
#endif
    QtProcessStarter processes;
    QtFileCheck files;
    QtColorPicker colors;
    ProgramDialogs dialogs({registry, processes, files, messages}, {store, colors});

    frmMonitor monitor({store, port, messages, &help, &dialogs});
    // From the first frame on, so the trend window shows what came before it was opened.
    TrendHistory history(monitor.core());
    TrendMenu trends(monitor.mnuTrends, history, monitor.w.AGauge1);
    // A logout or kill ends the panel as "Exit" does: settings saved, port released. A box
    // open at that moment is closed first, and the window ends once the box's own loop has
    // been left; at the start's message, the start ends below.
    bool quitting = false;
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &monitor, [&monitor, &quitting] {
        quitting = true;
        closeModalBoxes();
        QTimer::singleShot(0, &monitor, &QWidget::close);
    });
    // The control socket: a second start's raise, and tarnwick-ctl's commands.
    ControlCore control(monitor.core());
    ControlServer controlServer(instance.server(), control);
    QObject::connect(&control, &ControlCore::raiseRequested, &monitor, [&monitor] {
        monitor.showNormal();
        monitor.raise();
        monitor.activateWindow();
    });
    MqttBridge mqtt(monitor.core(), control);
    Recorder recorder(monitor.core());
    control.setRecorder(&recorder);
    RecordMenu recordMenu(
        {monitor.mnuRecord, monitor.mnuRecordStatus, monitor.mnuRecordEvery, monitor.mnuRecordKeep},
        recorder, messages, &monitor, &store);
    monitor.Form_Load();
    if (quitting || monitor.isUnloaded()) {
        monitor.close(); // ended by a signal while the start's message was open
        return 0;
    }
    // Once the port is known: the default base topic names it.
    mqtt.start();
    monitor.show();
    QTimer::singleShot(0, &Icons::useForWindows); // once the window is on its way to the screen
    return QApplication::exec();
}
