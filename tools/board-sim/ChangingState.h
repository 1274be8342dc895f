#pragma once

#include "BoardState.h"

// A board whose every reported field changes from one status frame to the next: what the
// whole-program benchmark polls, so that each tick repaints every lamp, relay button,
// needle and readout of the panel.
//
// Step n: every relay bank and the inputs alternate 0x55 / 0xAA, each meter sweeps 0..255
// (the channels a sixth of the sweep apart), the temperature walks 60..99 F and the
// frequency counts up. The analog outputs are left as `base` holds them.
namespace ChangingState {

BoardState at(const BoardState &base, quint64 step);

} // namespace ChangingState
