// How the monitor window shows each complete status frame.
#include "AGauge.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "LinkLamp.h"
#include "MonitorAccessibility.h"
#include "ScreenReader.h"
#include "SerialPort.h"
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

void frmMonitor::showStatusFrame(const QByteArray &frame)
{
    w.Picture5->show();
    const std::optional<int> fahrenheit = StatusFrame::readNumber(frame, StatusFrame::temperature);
    std::optional<StatusDecoders::TickDisplay> tick;
    if (fahrenheit)
        tick = decodeTick(frame);
    // Everything is painted before the window repaints, so a relay that stays on never
    // flickers through the off colour.
    //
    // The window gathers what changed into one region. Changes that come row by row, top to
    // bottom and left to right, extend it cheaply; any other order rebuilds it with each
    // one. So the needles come first, then the readouts below them and the lamps. The relay
    // buttons beside the lamps stand in rows of another height: gathered with the lamps,
    // every lamp would rebuild the region, twice (to paint, and to show what was painted),
    // which costs far more than a second repaint. So the window paints what is marked so far
    // at once, and the relays and the received string at the foot with its next repaint,
    // in the same pass of the event loop.
    const bool metersShown = tick && tick->relays && tick->meters;
    if (metersShown) {
        for (int m = 0; m < tick->meters->metersDecoded; ++m)
            w.AGauge1[m]->setNeedleValue(tick->meters->needles[m]);
    }
    showText(w.LabelFreq, StatusFrame::frequencyText(frame));
    if (fahrenheit)
        showText(w.LabelTemp, StatusFrame::temperatureText(*fahrenheit, w.Check4->isChecked()));
    if (tick) {
        // Repainting one widget now paints everything marked in its window.
        if (QWidget *changedLamp = paintLamps(tick->inputs))
            changedLamp->repaint();
        if (tick->relays)
            paintRelays(*tick->relays);
        describeLights(*tick);
    }
    showText(w.Label2, StatusFrame::text(frame));
    if (metersShown && tick->reachesOutputs) {
        for (const QByteArray &output : AnalogOutputs::sendingStep(m_output1, m_output2))
            m_port.write(output);
    }
}

StatusDecoders::TickDisplay frmMonitor::decodeTick(const QByteArray &frame) const
{
    std::array<double, StatusDecoders::meterCount> scaleMaxima{};
    std::array<QString, StatusDecoders::meterCount> multipliers;
    for (int m = 0; m < StatusDecoders::meterCount; ++m) {
        scaleMaxima[m] = w.AGauge1[m]->scaleMax();
        multipliers[m] = m_preferences.mtr_multiplier(m);
    }
    return StatusDecoders::decodeTick(frame, scaleMaxima, multipliers);
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

void frmMonitor::paintRelays(const StatusDecoders::RelayDisplay &relays)
{
    const quint32 on = onColor(), off = offColor();
    for (int bank = 0; bank < StatusDecoders::bankCount; ++bank)
        for (int position = 0; position < StatusDecoders::relaysPerBank; ++position)
            w.cmdRelay[bank][position]->setBackColor(relays.banks[bank][position] ? on : off);
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
