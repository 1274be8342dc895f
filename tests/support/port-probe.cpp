// A second process for the port tests, so that a device can be held by another program or
// opened by another user.
//
//   port-probe hold PATH   opens PATH as the panel does and keeps it open until standard
//                          input closes; prints "held" once it has it
//   port-probe open PATH   links PATH as Com 1 in a configuration folder of its own, opens
//                          it through the panel's serial-port adapter and prints "opened"
//                          or the problem as one line of JSON: kind, path, device, group,
//                          reason, remedy
#include "PortPaths.h"
#include "QtSerialPortAdapter.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPort>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return 2;
    const QString path = args[2];

    if (args[1] == QLatin1String("hold")) {
        QSerialPort port(path);
        if (!port.open(QIODevice::ReadWrite)) {
            std::printf("failed %s\n", qPrintable(port.errorString()));
            return 1;
        }
        std::printf("held\n");
        std::fflush(stdout);
        while (std::getchar() != EOF) {
        }
        return 0;
    }

    if (args[1] == QLatin1String("open")) {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        QString error;
        if (!PortPaths::assign(1, path, &error)) {
            std::printf("cannot link: %s\n", qPrintable(error));
            return 1;
        }
        QtSerialPortAdapter port;
        port.setPortNumber(1);
        if (port.open()) {
            std::printf("opened\n");
            return 0;
        }
        const PortProblem problem = port.lastProblem();
        const QJsonObject answer{{QStringLiteral("kind"), int(problem.kind)},
                                 {QStringLiteral("path"), problem.path},
                                 {QStringLiteral("device"), problem.device},
                                 {QStringLiteral("group"), problem.group},
                                 {QStringLiteral("reason"), PortDiagnosis::reason(problem)},
                                 {QStringLiteral("remedy"), PortDiagnosis::remedy(problem)}};
        std::printf("%s\n", QJsonDocument(answer).toJson(QJsonDocument::Compact).constData());
        return 0;
    }
    return 2;
}
