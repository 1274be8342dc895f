#include "PanelStatus.h"

#include "PanelCore.h"
#include "PanelOptions.h"

#include <QJsonArray>

namespace {

template<typename Item, std::size_t size>
QJsonArray jsonArray(const std::array<Item, size> &items)
{
    QJsonArray array;
    for (const Item &item : items)
        array.append(item);
    return array;
}

QJsonArray pulseArray(const QList<PanelStatus::Pulse> &pulses)
{
    QJsonArray array;
    for (const PanelStatus::Pulse &pulse : pulses)
        array.append(QJsonObject{{QStringLiteral("relay"), pulse.relay},
                                 {QStringLiteral("secondsLeft"), pulse.secondsLeft}});
    return array;
}

} // namespace

QJsonObject PanelStatus::toJson() const
{
    return {
        {QStringLiteral("link"), link},
        {QStringLiteral("port"), port},
        {QStringLiteral("device"), device},
        {QStringLiteral("relays"), jsonArray(relays)},
        {QStringLiteral("inputs"), jsonArray(inputs)},
        {QStringLiteral("inputNames"), jsonArray(inputNames)},
        {QStringLiteral("outputNames"), jsonArray(outputNames)},
        {QStringLiteral("macroNames"), jsonArray(macroNames)},
        {QStringLiteral("relayNames"), jsonArray(relayNames)},
        {QStringLiteral("meters"), jsonArray(meters)},
        {QStringLiteral("meterCaptions"), jsonArray(meterCaptions)},
        {QStringLiteral("temperature"), temperature},
        {QStringLiteral("frequency"), frequency},
        {QStringLiteral("aout"), jsonArray(aout)},
        // Latin-1: every byte a board may send becomes one character, escaped by JSON where
        // it is a control character.
        {QStringLiteral("frame"), QString::fromLatin1(frame)},
        {QStringLiteral("answersRequest"), double(answersRequest)},
        {QStringLiteral("pulses"), pulseArray(pulses)},
    };
}

PanelStatus readPanelStatus(const PanelCore &core)
{
    const ShownState &state = core.state();
    const SerialPort &port = core.port();
    PanelStatus status;
    status.link = QLatin1String(linkStateName(core.link().state()));
    status.port = port.portNumber();
    if (port.isOpen())
        status.device = port.device();
    status.relays = state.relaysOn();
    status.inputs = state.inputs;
    status.inputNames = core.names().inputs;
    status.outputNames = core.names().outputs;
    status.macroNames = core.names().macros;
    status.relayNames = core.names().relays;
    status.meters = state.meters;
    for (int m = 0; m < ShownState::meterCount; ++m)
        status.meterCaptions[std::size_t(m)] = core.options().meterCaption(m);
    status.temperature = state.temperature;
    status.frequency = state.frequency;
    status.aout = {core.outputValue(1), core.outputValue(2)};
    status.frame = state.frame;
    status.answersRequest = core.poll().frameAnswers();
    for (const PanelCore::Pulse &pulse : core.pulses())
        status.pulses.append({pulse.relay + 1, double(pulse.msLeft) / 1000.0});
    return status;
}
