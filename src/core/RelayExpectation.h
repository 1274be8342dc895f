#pragma once

#include <QByteArray>
#include <QList>
#include <array>
#include <map>

// What the relays should show once the board has done what relay-bank frames asked: each
// relay the frames touched, with its state inverted once per frame, starting from `before`
// (index 0 is R1). Keyed by the relay's caption number, 1..64. Frames that are not
// relay-bank frames are ignored.
std::map<int, bool> expectedRelays(const std::array<bool, 64> &before,
                                   const QList<QByteArray> &frames);
