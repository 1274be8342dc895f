// The panel polling on its own timer, as the program runs it, for a set number of ticks:
// with the trend history it always keeps, and with the recording and the trend window on or
// off. Run under
// callgrind with collection off at the start; only the ticks are counted:
//
//   valgrind --tool=callgrind --collect-atstart=no bench/tick_cost --ticks 40 --record DIR
//
// bench/recording-cost.py runs every variant and prints instructions per tick side by side.
// The port is the tests' in-memory one, answering every request with a frame that changes
// every relay, lamp and needle, so each tick paints as much as a tick can.
#include "FakeMessageBox.h"
#include "FakeSerialPort.h"
#include "MemorySettingsStore.h"
#include "Recorder.h"
#include "StatusPoll.h"
#include "TrendHistory.h"
#include "TrendWindow.h"
#include "frmMonitor.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <valgrind/callgrind.h>

namespace {

const QByteArray frames[2] = {
    "255,000,255,000,255,000,255,000,,010,200,012013,250,015,130,075, 1234\r",
    "000,255,000,255,000,255,000,255,,200,010,250100,014,240,125,076, 1235\r",
};

// Ticks before counting starts: the first paints and the file's opening are not a tick's.
constexpr int warmUpTicks = 8;

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({QStringLiteral("ticks"), QStringLiteral("Ticks to count."),
                       QStringLiteral("n"), QStringLiteral("40")});
    options.addOption({QStringLiteral("interval"), QStringLiteral("Poll interval, ms."),
                       QStringLiteral("ms"), QStringLiteral("180")});
    options.addOption({QStringLiteral("record"), QStringLiteral("Record into this folder."),
                       QStringLiteral("folder")});
    options.addOption({QStringLiteral("trends"),
                       QStringLiteral("Open the trend window on this span: 0 = 1 min, 1 = 10 min, "
                                      "2 = 1 h, 3 = 8 h."),
                       QStringLiteral("span")});
    options.process(app);
    const int ticks = options.value(QStringLiteral("ticks")).toInt();

    MemorySettingsStore store;
    FakeSerialPort port;
    FakeMessageBox messages;
    frmMonitor window({store, port, messages});
    window.Form_Load();
    window.show();
    StatusPoll &poll = window.poll();
    poll.setPollInterval(options.value(QStringLiteral("interval")).toInt());

    // As in the program: the history is kept from the start, whether the window opens or not.
    TrendHistory history(window.core());
    std::unique_ptr<TrendWindow> trends;
    if (options.isSet(QStringLiteral("trends"))) {
        trends = std::make_unique<TrendWindow>(history, window.w.AGauge1);
        trends->setSpan(TrendWindow::Span(options.value(QStringLiteral("trends")).toInt()));
        trends->showAndRaise();
    }

    Recorder recorder(window.core());
    if (options.isSet(QStringLiteral("record"))) {
        if (const std::optional<QString> problem =
                recorder.start(options.value(QStringLiteral("record")))) {
            std::fprintf(stderr, "tick_cost: %s\n", qPrintable(*problem));
            return 1;
        }
    }

    int tick = 0;
    // After the poll's own handler: the reply that its next tick reads.
    QObject::connect(poll.Timer1, &QTimer::timeout, &app, [&] {
        port.receive(frames[tick % 2]);
        port.clearLog();
        ++tick;
        if (tick == warmUpTicks)
            CALLGRIND_TOGGLE_COLLECT;
        if (tick == warmUpTicks + ticks) {
            CALLGRIND_TOGGLE_COLLECT;
            QCoreApplication::quit();
        }
    });
    port.receive(frames[1]);
    QApplication::exec();
    std::printf("ticks %d frames-recorded %lld messages %lld\n", ticks,
                static_cast<long long>(recorder.rowsWritten()),
                static_cast<long long>(messages.texts.size()));
    return 0;
}
