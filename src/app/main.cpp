#include "ColorPicker.h"
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

int main(int argc, char *argv[])
{
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
    // A logout or kill ends the panel as "Exit" does: settings saved, port released.
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &monitor, &QWidget::close);
    // The control socket: a second start's raise, and tarnwick-ctl's commands.
    ControlCore control(monitor.core());
    ControlServer controlServer(instance.server(), control);
    QObject::connect(&control, &ControlCore::raiseRequested, &monitor, [&monitor] {
        monitor.showNormal();
        monitor.raise();
        monitor.activateWindow();
    });
    MqttBridge mqtt(monitor.core(), control);
    Recorder recorder(monitor.core(), messages, &monitor);
    control.setRecorder(&recorder);
    RecordMenu recordMenu(monitor.mnuRecord, monitor.mnuRecordStatus, recorder, messages, &monitor);
    monitor.Form_Load();
    if (monitor.isUnloaded())
        return 0; // ended by a signal while the start's message was open
    // Once the port is known: the default base topic names it.
    mqtt.start();
    monitor.show();
    QTimer::singleShot(0, &Icons::useForWindows); // once the window is on its way to the screen
    return QApplication::exec();
}
