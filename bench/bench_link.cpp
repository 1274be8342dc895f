// Reading a status frame's fields and building command frames: the per-tick cost of the
// board link's pure code.
#include "CommandFrames.h"
#include "StatusFrame.h"

#include <benchmark/benchmark.h>

namespace {

const QByteArray frame = "001,002,003,004,005,006,007,008,,010,011,012013,014,015,130,075, 1234\r";

void readEveryField(benchmark::State &state)
{
    for (auto _ : state) {
        int sum = 0;
        for (const StatusFrame::Field &field : StatusFrame::relayBanks)
            sum += StatusFrame::readNumber(frame, field).value_or(0);
        for (const StatusFrame::Field &field : StatusFrame::meters)
            sum += StatusFrame::readNumber(frame, field).value_or(0);
        sum += StatusFrame::readNumber(frame, StatusFrame::inputs).value_or(0);
        sum += StatusFrame::readNumber(frame, StatusFrame::temperature).value_or(0);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(readEveryField);

void frequencyAndTemperatureTexts(benchmark::State &state)
{
    for (auto _ : state) {
        QString frequency = StatusFrame::frequencyText(frame);
        QString temperature = StatusFrame::temperatureText(75, true);
        benchmark::DoNotOptimize(frequency);
        benchmark::DoNotOptimize(temperature);
    }
}
BENCHMARK(frequencyAndTemperatureTexts);

void buildRelayFrame(benchmark::State &state)
{
    int position = 0;
    for (auto _ : state) {
        QByteArray bytes = MakeRelayFrame('C', position);
        benchmark::DoNotOptimize(bytes);
        position = (position + 1) & 7;
    }
}
BENCHMARK(buildRelayFrame);

} // namespace

BENCHMARK_MAIN();
