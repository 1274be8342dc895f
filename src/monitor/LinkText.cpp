#include "LinkText.h"

namespace LinkText {

QColor lampColor(LinkState::State state)
{
    switch (state) {
    case LinkState::State::Live:
        return {40, 220, 40};
    case LinkState::State::NoReply:
        return {240, 170, 0};
    case LinkState::State::Lost:
        return {220, 40, 40};
    case LinkState::State::Never:
        break;
    }
    return {128, 128, 128};
}

QString tooltip(const Link &link)
{
    QString port = QStringLiteral("Com %1").arg(link.portNumber);
    if (!link.device.isEmpty())
        port += QStringLiteral(" (%1)").arg(link.device);
    const QString at = link.since.toString(QStringLiteral("HH:mm:ss"));
    QString text;
    switch (link.state) {
    case LinkState::State::Live:
        text = QStringLiteral("Live: %1, answering since %2").arg(port, at);
        break;
    case LinkState::State::NoReply:
        text = QStringLiteral("No reply from %1 since %2").arg(port, at);
        break;
    case LinkState::State::Lost:
        text = QStringLiteral("%1 lost at %2; looking for it again").arg(port, at);
        break;
    case LinkState::State::Never:
        text = link.problem.isEmpty() ? QStringLiteral("No answer yet from %1").arg(port)
                                      : QStringLiteral("%1 is not open").arg(port);
        break;
    }
    if (!link.problem.isEmpty())
        text += u'\n' + link.problem;
    return text;
}

} // namespace LinkText
