// One whole poll tick of the monitor window: the request written, the reply read, and the
// frame decoded and painted into every lamp, relay button, needle and readout. The serial
// port is an in-memory one, so the figure is the program's own work per tick.
#include "FakeMessageBox.h"
#include "FakeSerialPort.h"
#include "MemorySettingsStore.h"
#include "frmMonitor.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

// Two frames that differ in every relay, lamp and meter, so each tick really repaints.
const QByteArray frames[2] = {
    "255,000,255,000,255,000,255,000,,010,200,012013,250,015,130,075, 1234\r",
    "000,255,000,255,000,255,000,255,,200,010,250100,014,240,125,076, 1235\r",
};

void wholeTick(benchmark::State &state)
{
    MemorySettingsStore store;
    FakeSerialPort port;
    FakeMessageBox messages;
    frmMonitor window({store, port, messages});
    window.Form_Load();
    window.poll().Timer1->stop();
    window.show();
    const bool paint = state.range(0) != 0;

    // The mean hides the ticks a user notices, so each one is timed and the median and the
    // 99th percentile are reported beside it.
    std::vector<double> micros;
    micros.reserve(std::size_t(state.max_iterations));
    int which = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        port.receive(frames[which]);
        which ^= 1;
        window.poll().Timer1_Timer();
        if (paint)
            QCoreApplication::processEvents(); // the repaint the event loop would do next
        port.clearLog();
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - begin)
                .count());
    }
    std::sort(micros.begin(), micros.end());
    const auto at = [&micros](double share) {
        return micros.empty() ? 0.0 : micros[std::size_t(share * double(micros.size() - 1))];
    };
    state.counters["p50_us"] = at(0.50);
    state.counters["p99_us"] = at(0.99);
}
BENCHMARK(wholeTick)->Arg(0)->Arg(1)->ArgNames({"paint"})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
