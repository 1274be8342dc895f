// tarnwickd: the board driven without a desktop. It takes the store's panel lock as the
// window does, so one program drives the board of a store, and runs until SIGTERM or
// SIGINT; SIGHUP reads the settings again. Exit status: 0 after a clean end, 1 when the
// store is another program's or cannot be claimed, 2 for a usage error.
#include "PanelInstance.h"
#include "PanelSocket.h"
#include "QuitSignals.h"
#include "Service.h"
#include "ServiceLog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <csignal>
#include <cstdio>

namespace {

enum Exit { Done = 0, StoreHeld = 1, Usage = 2 };

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwickd"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Drives the Tarnwick control board without a desktop, from the settings of the "
        "Tarnwick panel ($XDG_CONFIG_HOME/Tarnwick/Tarnwick.ini). tarnwick-ctl and MQTT "
        "reach it as they reach the panel. SIGHUP reads the settings again; SIGTERM ends."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "tarnwickd: %s\nTry 'tarnwickd --help'.\n",
                     qPrintable(parser.errorText()));
        return Usage;
    }
    // --help-all comes with the help option; a service has none of Qt's options to add.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return Done;
    }
    if (parser.isSet(version)) {
        std::printf("tarnwickd %s\n", TARNWICK_VERSION);
        return Done;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tarnwickd: takes no arguments\nTry 'tarnwickd --help'.\n");
        return Usage;
    }

    PanelInstance instance;
    switch (instance.claimQuietly()) {
    case PanelInstance::Claim::Claimed:
        break;
    case PanelInstance::Claim::Failed:
        ServiceLog::line(QStringLiteral("cannot make the lock %1; not starting without it, "
                                        "as a second program could drive the board too")
                             .arg(PanelInstance::lockPath()));
        return StoreHeld;
    default:
        ServiceLog::line(QStringLiteral("Tarnwick already runs on the settings in %1 (a window "
                                        "or another tarnwickd); it drives this board.")
                             .arg(PanelSocket::configFolder() + QStringLiteral("/Tarnwick")));
        return StoreHeld;
    }

    QuitSignals signals;
    Service service(instance);
    QObject::connect(&signals, &QuitSignals::quitRequested, &service, [&service](int number) {
        if (number == SIGHUP) {
            ServiceLog::line(QStringLiteral("SIGHUP: reading the settings again"));
            service.reload();
            return;
        }
        ServiceLog::line(QStringLiteral("%1: ending")
                             .arg(QLatin1String(number == SIGINT ? "SIGINT" : "SIGTERM")));
        service.stop();
    });
    QObject::connect(&service, &Service::finished, &app, &QCoreApplication::quit);
    ServiceLog::line(QStringLiteral("tarnwickd " TARNWICK_VERSION " starting"));
    service.start();
    const int code = QCoreApplication::exec();
    ServiceLog::line(QStringLiteral("ended"));
    return code;
}
