#pragma once

#include "BoardState.h"
#include "FuzzSupport.h"
#include "StatusDecoders.h"
#include "StatusFrame.h"

#include <cmath>

// Whatever the simulated board's state, the panel reads every field of its status frame and
// reads back the relays and inputs the board holds: the two sides agree on the wire format.
inline void checkPanelReadsBoard(const BoardState &state)
{
    const QByteArray frame = state.statusFrame();
    FUZZ_CHECK(frame.size() == StatusFrame::length && frame.endsWith('\r'));
    std::array<QString, StatusDecoders::meterCount> multipliers;
    multipliers.fill(QStringLiteral("1"));
    const StatusDecoders::TickDisplay tick =
        StatusDecoders::decodeTick(frame, {255, 255, 255, 255, 255, 255}, multipliers);
    FUZZ_CHECK(tick.reachesOutputs);
    for (int k = 0; k < 8; ++k) {
        FUZZ_CHECK(tick.inputs.lamps[k] == ((state.inputs() >> k & 1) != 0));
        for (int bank = 0; bank < BoardState::relayBankCount; ++bank)
            FUZZ_CHECK(tick.relays->banks[bank][k] == ((state.relayBank(bank) >> k & 1) != 0));
    }
    for (int channel = 0; channel < BoardState::meterCount; ++channel)
        FUZZ_CHECK(std::fabs(tick.meters->needles[channel] - state.meter(channel)) < 1e-9);
    FUZZ_CHECK(StatusFrame::readNumber(frame, StatusFrame::temperature) == state.temperature());
    FUZZ_CHECK(StatusFrame::frequencyText(frame) == QString::fromLatin1(state.frequency()));
}
