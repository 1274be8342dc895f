// How the monitor window shows each complete status frame.
#include "AGauge.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "LinkLamp.h"
#include "MonitorAccessibility.h"
#include "ScreenReader.h"
#include "StatusDecoders.h"
#include "StatusFrame.h"
#include "frmMonitor.h"

#include <QCheckBox>
#include <QLabel>

namespace {

// A label given its text again lays it out and repaints it all the same.
void showText(QLabel *label, const QString &text)
{
    if (label->text() != text)
        label->setText(text);
}

} // namespace

void frmMonitor::showFrame(const FrameUpdate &update)
{
    const ShownState &state = m_core->state();
    const std::optional<StatusDecoders::TickDisplay> &tick = update.tick;
    // In the tick's order: the link lamp, the received string, frequency and temperature,
    // then the lamps, relays and needles. Each setter marks only what changed, and the window
    // paints it all at its next repaint, so a relay that stays on never flickers through the
    // off colour.
    w.Picture5->show();
    showText(w.Label2, StatusFrame::text(update.frame));
    showText(w.LabelFreq, state.frequency);
    if (update.temperatureRead)
        showText(w.LabelTemp, state.temperature);
    if (tick) {
        paintLamps(tick->inputs);
        if (tick->relays)
            paintRelays();
        keepShownLights(*tick);
    }
    // What a screen reader hears follows what is shown, and changes only with it; while none
    // listens, nothing is described (each new text is an accessibility event).
    if (ScreenReader::listening())
        describeShown();
    if (update.metersShown()) {
        for (int m = 0; m < tick->meters->metersDecoded; ++m)
            w.AGauge1[m]->setNeedleValue(state.meters[std::size_t(m)]);
    }
}

void frmMonitor::showName(PanelNames::Kind kind, int index)
{
    const QString &name = m_core->names().at(kind, index);
    switch (kind) {
    case PanelNames::Kind::Input:
        w.LblStatus.at(index)->setText(name);
        return;
    case PanelNames::Kind::Output:
        (index == 0 ? w.Label9 : w.Label12)->setText(name);
        return;
    case PanelNames::Kind::Macro:
        w.cmdMacro.at(index)->setText(name);
        return;
    case PanelNames::Kind::Relay:
        w.cmdRelay.at(index / 8).at(index % 8)->setToolTip(name);
        return;
    }
}

void frmMonitor::paintLamps(const StatusDecoders::InputDisplay &inputs)
{
    const quint32 on = onColor(), off = offColor();
    for (int k = 0; k < StatusDecoders::inputCount; ++k)
        w.LblStatus[k]->setBackColor(inputs.lamps[k] ? on : off);
}

void frmMonitor::paintRelays()
{
    const ShownState &state = m_core->state();
    for (int bank = 0; bank < StatusDecoders::bankCount; ++bank)
        for (int position = 0; position < StatusDecoders::relaysPerBank; ++position) {
            const ShownState::Relay relay =
                state.relays[std::size_t(bank * StatusDecoders::relaysPerBank + position)];
            if (relay != ShownState::Relay::Unpainted)
                w.cmdRelay[bank][position]->setBackColor(
                    relay == ShownState::Relay::On ? onColor() : offColor());
        }
}

void frmMonitor::keepShownLights(const StatusDecoders::TickDisplay &tick)
{
    // Kept for a screen reader that starts to listen, as the colours show them.
    if (!m_shownLights)
        m_shownLights.emplace();
    m_shownLights->inputs = tick.inputs;
    if (tick.relays)
        m_shownLights->relays = tick.relays;
}

void frmMonitor::describeShown()
{
    MonitorAccessibility::describeReadouts(w);
    if (m_shownLights)
        MonitorAccessibility::describeLights(w, *m_shownLights);
}
