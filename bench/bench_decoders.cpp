// The monitor's per-tick pure work: the three decoders over one status frame, and the plan of
// a macro click over a list of six fields.
#include "MacroCommand.h"
#include "StatusDecoders.h"

#include <benchmark/benchmark.h>

namespace {

const QByteArray frame = "001,002,004,008,016,032,064,128,,010,011,012013,014,015,130,075, 1234\r";
const std::array<double, 6> scales{5.0, 5.0, 10.0, 10.0, 100.0, 255.0};
const std::array<QString, 6> multipliers{QStringLiteral("1.0"), QStringLiteral("2.5"),
                                         QStringLiteral("1.0"), QStringLiteral("0.5"),
                                         QStringLiteral("1.0"), QStringLiteral("1.0")};

void decodeInputs(benchmark::State &state)
{
    for (auto _ : state) {
        StatusDecoders::InputDisplay display = StatusDecoders::decodeInputs(frame);
        benchmark::DoNotOptimize(display);
    }
}
BENCHMARK(decodeInputs);

void decodeRelays(benchmark::State &state)
{
    for (auto _ : state) {
        StatusDecoders::RelayDisplay display = StatusDecoders::decodeRelays(frame);
        benchmark::DoNotOptimize(display);
    }
}
BENCHMARK(decodeRelays);

void decodeMeters(benchmark::State &state)
{
    for (auto _ : state) {
        StatusDecoders::MeterDisplay display =
            StatusDecoders::decodeMeters(frame, scales, multipliers);
        benchmark::DoNotOptimize(display);
    }
}
BENCHMARK(decodeMeters);

void decodeTick(benchmark::State &state)
{
    for (auto _ : state) {
        StatusDecoders::TickDisplay tick = StatusDecoders::decodeTick(frame, scales, multipliers);
        benchmark::DoNotOptimize(tick);
    }
}
BENCHMARK(decodeTick);

void macroOfSixFields(benchmark::State &state)
{
    // Half the relays on, so both lists write frames.
    std::array<quint32, 64> colours{};
    const quint32 on = 3328050;
    const quint32 off = 3289800;
    for (int i = 0; i < 64; ++i)
        colours[i] = i % 2 ? on : off;
    const MacroCommand::RelayColours relayColours{on, off, [&colours](int bank, int position) {
                                                      return colours[8 * bank + position];
                                                  }};
    const QString onList = QStringLiteral("00,09,18,27,36,45,");
    const QString offList = QStringLiteral("01,11,21,31,41,51,");
    for (auto _ : state) {
        MacroCommand::MacroResult result = MacroCommand::macroClick(onList, offList, relayColours);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(macroOfSixFields);

} // namespace

BENCHMARK_MAIN();
