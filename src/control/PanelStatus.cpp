#include "PanelStatus.h"

#include "AGauge.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "LinkState.h"
#include "MonitorLayout.h"
#include "SerialPort.h"
#include "frmMonitor.h"

#include <QJsonArray>
#include <QLabel>
#include <QSlider>

namespace {

template<typename Item, std::size_t size>
QJsonArray jsonArray(const std::array<Item, size> &items)
{
    QJsonArray array;
    for (const Item &item : items)
        array.append(item);
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
        {QStringLiteral("meters"), jsonArray(meters)},
        {QStringLiteral("meterCaptions"), jsonArray(meterCaptions)},
        {QStringLiteral("temperature"), temperature},
        {QStringLiteral("frequency"), frequency},
        {QStringLiteral("aout"), jsonArray(aout)},
        // Latin-1: every byte a board may send becomes one character, escaped by JSON where
        // it is a control character.
        {QStringLiteral("frame"), QString::fromLatin1(frame)},
    };
}

std::array<bool, 64> shownRelays(const frmMonitor &window)
{
    std::array<bool, 64> shown{};
    const quint32 on = window.onColor();
    for (int bank = 0; bank < 8; ++bank)
        for (int position = 0; position < 8; ++position)
            shown[std::size_t(bank * 8 + position)] =
                window.w.cmdRelay[bank][position]->backColor() == on;
    return shown;
}

PanelStatus readPanelStatus(frmMonitor &window)
{
    const MonitorWidgets &w = window.w;
    const SerialPort &port = window.MSComm1();
    PanelStatus status;
    status.link = QLatin1String(linkStateName(window.poll().link().state()));
    status.port = port.portNumber();
    if (port.isOpen())
        status.device = port.device();
    status.relays = shownRelays(window);
    const quint32 on = window.onColor();
    for (std::size_t k = 0; k < status.inputs.size(); ++k) {
        status.inputs[k] = w.LblStatus[k]->backColor() == on;
        status.inputNames[k] = w.LblStatus[k]->text();
    }
    for (std::size_t m = 0; m < status.meters.size(); ++m) {
        status.meters[m] = w.AGauge1[m]->needleValue();
        status.meterCaptions[m] = w.AGauge1[m]->caption();
    }
    status.temperature = w.LabelTemp->text();
    status.frequency = w.LabelFreq->text();
    status.aout = {w.VScroll1->value(), w.VScroll2->value()};
    status.frame = window.poll().A();
    return status;
}
