#include "CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace CommandLine {

namespace {

const char *const description =
    "Desktop panel for a serial relay and I/O control board on a serial line at 19200 baud,\n"
    "8N1: 64 relays, eight inputs, six meters, temperature, frequency and two analog outputs.\n"
    "\n"
    "Settings: $XDG_CONFIG_HOME/Tarnwick/Tarnwick.ini (~/.config by default); port n is the\n"
    "link Tarnwick/ports/COM<n> there, or /dev/ttyS<n-1>. One panel runs per settings\n"
    "folder. Scripts use tarnwick-ctl; without a desktop, tarnwickd drives the board.\n"
    "Qt's own options (-platform, -style, ...) are taken as well.";

} // namespace

std::optional<int> answer(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    // "-platform" is one of Qt's options, not the letters p, l, a ... of ours.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromLatin1(description));
    // --help-all, which Qt's other programs take for their help with Qt's options, too.
    const QCommandLineOption help(
        {QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("help-all")},
        QStringLiteral("Print this help, then end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version, then end."));
    parser.addOptions({help, version});
    parser.parse(arguments); // what it does not know is Qt's, and the start's to report
    if (parser.isSet(help)) {
        // The help's first line names the program, which takes an application.
        const QCoreApplication application(argc, argv);
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::fputs("tarnwick " TARNWICK_VERSION "\n", stdout);
        return 0;
    }
    return std::nullopt;
}

} // namespace CommandLine
