// How the monitor window shows the link: the lamp's colour, its tooltip and whether the
// values on display are old.
#include "LinkLamp.h"
#include "LinkText.h"
#include "MonitorAccessibility.h"
#include "PortPaths.h"
#include "SerialPort.h"
#include "frmMonitor.h"

#include <QLabel>

namespace {

// What the tooltip adds while the board has never answered on a port without a link of
// its own: the fallback device may be anything, and most often is not the board.
QString fallbackHint(int number)
{
    return QStringLiteral("Com %1 has no device assigned and falls back to %2. Assign the "
                          "board's device under Setup, Comm Port.")
        .arg(number)
        .arg(PortPaths::fallbackPath(number));
}

} // namespace

void frmMonitor::showLinkState()
{
    const LinkState &link = m_core->link();
    const LinkState::State state = link.state();

    w.Picture5->setColor(LinkText::lampColor(state));
    // The unlit lamp turns red too when a device that never answered goes away.
    w.Picture2->setColor(LinkText::lampColor(
        state == LinkState::State::Lost ? LinkState::State::Lost : LinkState::State::Never));
    MonitorLayout::showValuesStale(w, link.hasAnswered() && state != LinkState::State::Live);

    LinkText::Link shown;
    shown.state = state;
    shown.portNumber = m_port.portNumber();
    shown.device = m_port.isOpen() || m_port.isLost() ? m_port.device() : QString();
    shown.since = QTime::currentTime().addMSecs(int(link.since() - poll().now()));
    if (!m_port.isOpen())
        shown.problem = PortDiagnosis::explanation(m_port.lastProblem());
    else if (state == LinkState::State::Never && !PortPaths::hasLink(shown.portNumber))
        shown.problem = fallbackHint(shown.portNumber);
    const QString tip = LinkText::tooltip(shown);
    for (QWidget *widget : {static_cast<QWidget *>(w.Picture5), static_cast<QWidget *>(w.Picture2),
                            static_cast<QWidget *>(w.Label1)})
        widget->setToolTip(tip);
    MonitorAccessibility::describeLink(w, tip);
}
