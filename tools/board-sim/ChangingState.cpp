#include "ChangingState.h"

namespace ChangingState {

BoardState at(const BoardState &base, quint64 step)
{
    BoardState state = base;
    const quint8 pattern = step % 2 == 0 ? 0x55 : 0xAA;
    for (int bank = 0; bank < BoardState::relayBankCount; ++bank)
        state.setRelayBank(bank, pattern);
    state.setInputs(pattern);
    // A step of 23 visits every level of 0..255 before repeating, and never stands still.
    for (int channel = 0; channel < BoardState::meterCount; ++channel)
        state.setMeter(channel, int((step * 23 + quint64(channel) * 43) % 256));
    state.setTemperature(60 + int(step % 40));
    state.setFrequency(QByteArray::number(step % 100000).rightJustified(5, '0'));
    return state;
}

} // namespace ChangingState
