#include "MonitorAccessibility.h"

#include "ColorButton.h"
#include "LampLabel.h"
#include "LinkLamp.h"
#include "MonitorLayout.h"

#include <QLabel>

namespace MonitorAccessibility {

QString onText()
{
    return QStringLiteral("on");
}

QString offText()
{
    return QStringLiteral("off");
}

bool describeLight(QWidget *widget, bool on)
{
    // The checked state is what a reader announces; the description says it in words.
    if (auto *button = qobject_cast<ColorButton *>(widget))
        button->setStateShown(on);
    else if (auto *lamp = qobject_cast<LampLabel *>(widget))
        lamp->setLit(on);
    // Compared first: setting a description sends an event even when the text is the same.
    const QString text = on ? onText() : offText();
    if (widget->accessibleDescription() == text)
        return false;
    widget->setAccessibleDescription(text);
    return true;
}

int describeLights(MonitorWidgets &w, const StatusDecoders::TickDisplay &tick)
{
    int changed = 0;
    for (int k = 0; k < StatusDecoders::inputCount; ++k)
        changed += describeLight(w.LblStatus[k], tick.inputs.lamps[k]) ? 1 : 0;
    // Without decoded banks the buttons keep the colours, and so the states, they showed.
    if (!tick.relays)
        return changed;
    for (int bank = 0; bank < StatusDecoders::bankCount; ++bank)
        for (int position = 0; position < StatusDecoders::relaysPerBank; ++position)
            changed += describeLight(w.cmdRelay[bank][position], tick.relays->banks[bank][position])
                           ? 1
                           : 0;
    return changed;
}

int describeReadouts(MonitorWidgets &w)
{
    int changed = 0;
    for (QLabel *readout : {w.LabelFreq, w.LabelTemp})
        if (readout->accessibleDescription() != readout->text()) {
            readout->setAccessibleDescription(readout->text());
            ++changed;
        }
    return changed;
}

void describeLink(MonitorWidgets &w, const QString &state)
{
    for (QWidget *lamp : {static_cast<QWidget *>(w.Picture5), static_cast<QWidget *>(w.Picture2)})
        if (lamp->accessibleDescription() != state)
            lamp->setAccessibleDescription(state);
}

} // namespace MonitorAccessibility
