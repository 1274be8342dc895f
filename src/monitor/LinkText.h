#pragma once

#include "LinkState.h"

#include <QColor>
#include <QString>
#include <QTime>

// How the link's state is put to the user: the lamp's colour and its tooltip.
namespace LinkText {

// Green while live, amber while the board does not reply, red while its device is gone,
// grey before it first answered.
QColor lampColor(LinkState::State state);

struct Link
{
    LinkState::State state = LinkState::State::Never;
    int portNumber = 0;
    QString device;  // what the port leads to; empty when unknown
    QTime since;     // local time the state began (for Never: unused)
    QString problem; // why the port is not open, when it is not
};

// "No reply from Com 1 (/dev/ttyUSB0) since 14:02:07", and so on for each state.
QString tooltip(const Link &link);

} // namespace LinkText
