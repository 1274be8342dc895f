#include "MessageBox.h"
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

    QSettingsStore store;
    QtSerialPortAdapter port;
    QtMessageBox messages;
    frmMonitor monitor({store, port, messages});
    monitor.Form_Load();
    monitor.show();
    return QApplication::exec();
}
