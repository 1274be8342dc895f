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

void describeLink(MonitorWidgets &w, const QString &state)
{
    for (QWidget *lamp : {static_cast<QWidget *>(w.Picture5), static_cast<QWidget *>(w.Picture2)})
        if (lamp->accessibleDescription() != state)
            lamp->setAccessibleDescription(state);
}

} // namespace MonitorAccessibility
