#include "StatusDecoders.h"

#include "NumberText.h"
#include "StatusFrame.h"

namespace StatusDecoders {

Lights lightsFor(int value)
{
    Lights lights{};
    for (int k = 7; k >= 0; --k) {
        const int weight = 1 << k;
        if (value >= weight) {
            lights[k] = true;
            value -= weight;
        }
    }
    return lights;
}

InputDisplay decodeInputs(QByteArrayView frame)
{
    InputDisplay display;
    const std::optional<int> field = StatusFrame::readNumber(frame, StatusFrame::inputs);
    if (!field)
        return display;
    display.lamps = lightsFor(*field);
    display.decoded = true;
    return display;
}

RelayDisplay decodeRelays(QByteArrayView frame)
{
    RelayDisplay display;
    for (int bank = 0; bank < bankCount; ++bank) {
        const std::optional<int> field =
            StatusFrame::readNumber(frame, StatusFrame::relayBanks[bank]);
        if (!field)
            break;
        display.banks[bank] = lightsFor(*field);
        display.banksDecoded = bank + 1;
    }
    return display;
}

MeterDisplay decodeMeters(QByteArrayView frame, const std::array<double, meterCount> &scaleMaxima,
                          const std::array<QString, meterCount> &multipliers)
{
    MeterDisplay display;
    for (int m = 0; m < meterCount; ++m) {
        const std::optional<int> field = StatusFrame::readNumber(frame, StatusFrame::meters[m]);
        if (!field)
            break;
        const std::optional<double> multiplier = NumberText::toDouble(multipliers[m]);
        if (!multiplier)
            break;
        // In this order, in double precision: the needles match the panel's to the last bit.
        display.needles[m] = double(*field) / meterFullScale * scaleMaxima[m] * *multiplier;
        display.metersDecoded = m + 1;
    }
    return display;
}

TickDisplay decodeTick(QByteArrayView frame, const std::array<double, meterCount> &scaleMaxima,
                       const std::array<QString, meterCount> &multipliers)
{
    TickDisplay tick;
    tick.inputs = decodeInputs(frame);
    if (!tick.inputs.decoded)
        return tick;
    tick.relays = decodeRelays(frame);
    if (!tick.relays->decoded())
        return tick;
    tick.meters = decodeMeters(frame, scaleMaxima, multipliers);
    tick.reachesOutputs = tick.meters->decoded();
    return tick;
}

} // namespace StatusDecoders
