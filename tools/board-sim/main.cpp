// tarnwick-board: the simulated control board. Opens a pseudo-terminal, links it as the
// panel's port COM<n>, answers the panel's frames and takes commands on standard input.

#include "BoardConsole.h"
#include "ChangingState.h"
#include "FrameText.h"
#include "PtyBoard.h"
#include "QuitSignals.h"
#include "StdinLines.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTime>
#include <cstdio>

namespace {

void printLine(const QString &text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

void printError(const QString &text)
{
    std::fputs(qPrintable(QStringLiteral("tarnwick-board: ") + text + QLatin1Char('\n')), stderr);
    std::fflush(stderr);
}

QString timestamp()
{
    return QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarnwick-board"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARNWICK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated Tarnwick control board on a pseudo-terminal, linked as the "
                       "panel's port COM<n>.\nIt prints every frame it receives and reads "
                       "commands from standard input, one per line; end of input does not "
                       "stop it, SIGINT or SIGTERM (or \"quit\") does, removing the link.\n\n") +
        BoardConsole::helpText());
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Link the board as COM<n> (default 1)."),
                                        QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption delayOption(
        QStringLiteral("delay"),
        QStringLiteral("Answer a status request after <ms> milliseconds (default %1, the "
                       "reply's line time at 19200 baud).")
            .arg(PtyBoard::defaultReplyDelay),
        QStringLiteral("ms"), QString::number(PtyBoard::defaultReplyDelay));
    const QCommandLineOption quietOption(QStringLiteral("quiet"),
                                         QStringLiteral("Do not print received frames."));
    const QCommandLineOption changingOption(
        QStringLiteral("changing"),
        QStringLiteral("Change every reported field before each status reply (relays and inputs "
                       "alternate 0x55/0xAA, meters sweep, temperature and frequency step): the "
                       "load the whole-program benchmark measures."));
    parser.addOptions({portOption, delayOption, quietOption, changingOption});
    parser.process(app);

    bool ok = false;
    const int port = parser.value(portOption).toInt(&ok);
    if (!ok || port < 1 || port > 255) {
        printError(QStringLiteral("--port: expected a number 1..255, got \"%1\"")
                       .arg(parser.value(portOption)));
        return 2;
    }
    const int delay = parser.value(delayOption).toInt(&ok);
    if (!ok || delay < 0 || delay > 60000) {
        printError(QStringLiteral("--delay: expected milliseconds 0..60000, got \"%1\"")
                       .arg(parser.value(delayOption)));
        return 2;
    }
    const bool quiet = parser.isSet(quietOption);

    QuitSignals quitSignals;
    PtyBoard board;
    board.setReplyDelay(delay);
    if (!board.start(port)) {
        printError(board.errorString());
        return 1;
    }
    printLine(QStringLiteral("device %1").arg(board.devicePath()));
    printLine(QStringLiteral("link   %1").arg(board.linkPath()));
    printLine(QStringLiteral("ready (type \"help\" for commands)"));

    if (!quiet) {
        QObject::connect(&board, &PtyBoard::frameReceived, &app, [](const QByteArray &frame) {
            printLine(timestamp() + QStringLiteral("  ") + frameLine(frame));
        });
    }

    if (parser.isSet(changingOption)) {
        quint64 step = 0;
        QObject::connect(&board, &PtyBoard::statusRequested, &app, [&board, &step] {
            board.setState(ChangingState::at(board.state(), step++));
        });
    }

    BoardConsole console(board);
    StdinLines input;
    QObject::connect(&input, &StdinLines::lineRead, &app, [&console](const QString &line) {
        const BoardConsole::Result result = console.run(line);
        if (!result.ok)
            printError(result.text);
        else if (!result.text.isEmpty())
            printLine(result.text);
        if (result.quit)
            QCoreApplication::quit();
    });
    QObject::connect(&quitSignals, &QuitSignals::quitRequested, &app,
                     [] { QCoreApplication::quit(); });

    const int status = QCoreApplication::exec();
    if (board.isConnected())
        printLine(QStringLiteral("removing %1").arg(board.linkPath()));
    return status;
}
