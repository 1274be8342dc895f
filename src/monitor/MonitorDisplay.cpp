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
    w.Picture5->show();
    // Everything is painted before the window repaints, so a relay that stays on never
    // flickers through the off colour.
    //
    // The needles come first, then the readouts below them and the lamps; the window paints
    // those at once. The relay buttons and the received string at the foot are painted with
    // its next repaint, in the same pass of the event loop.
    if (update.metersShown()) {
        for (int m = 0; m < tick->meters->metersDecoded; ++m)
            w.AGauge1[m]->setNeedleValue(state.meters[std::size_t(m)]);
    }
    showText(w.LabelFreq, state.frequency);
    if (update.temperatureRead)
        showText(w.LabelTemp, state.temperature);
    if (tick) {
        // Repainting one widget now paints everything marked in its window.
        if (QWidget *changedLamp = paintLamps(tick->inputs))
            changedLamp->repaint();
        if (tick->relays)
            paintRelays();
        describeLights(*tick);
    }
    showText(w.Label2, StatusFrame::text(update.frame));
}

QWidget *frmMonitor::paintLamps(const StatusDecoders::InputDisplay &inputs)
{
    const quint32 on = onColor(), off = offColor();
    LampLabel *changed = nullptr;
    constexpr int lampRows = StatusDecoders::inputCount / 2; // two columns: 1-4 and 5-8
    for (int row = 0; row < lampRows; ++row) {
        for (const int k : {row, row + lampRows}) {
            LampLabel *lamp = w.LblStatus[k];
            const quint32 color = inputs.lamps[k] ? on : off;
            if (lamp->backColor() != color) {
                lamp->setBackColor(color);
                changed = lamp;
            }
        }
    }
    return changed;
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

void frmMonitor::describeLights(const StatusDecoders::TickDisplay &tick)
{
    // What a screen reader announces follows the colours, and changes only with them; while
    // none listens, the states are kept for one that starts.
    if (!m_shownLights)
        m_shownLights.emplace();
    m_shownLights->inputs = tick.inputs;
    if (tick.relays)
        m_shownLights->relays = tick.relays;
    if (ScreenReader::listening())
        describeShownLights();
}

void frmMonitor::describeShownLights()
{
    if (m_shownLights)
        MonitorAccessibility::describeLights(w, *m_shownLights);
}
