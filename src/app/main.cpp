#include "ColorPicker.h"
#include "DesktopRegistry.h"
#include "FileCheck.h"
#include "HelpViewer.h"
#include "Icons.h"
#include "MessageBox.h"
#include "ProcessStarter.h"
#include "ProgramDialogs.h"
#include "QSettingsStore.h"
#include "QtSerialPortAdapter.h"
#include "frmMonitor.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnwick"));
    QApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));
    QApplication::setWindowIcon(Icons::application());
    QGuiApplication::setDesktopFileName(QStringLiteral("tarnwick"));

    QSettingsStore store;
    QtSerialPortAdapter port;
    QtMessageBox messages;
    QtHelpViewer help;
    DesktopRegistry registry;
    QtProcessStarter processes;
    QtFileCheck files;
    QtColorPicker colors;
    ProgramDialogs dialogs({registry, processes, files, messages}, {store, colors});

    frmMonitor monitor({store, port, messages, &help, &dialogs});
    monitor.Form_Load();
    monitor.show();
    return QApplication::exec();
}
