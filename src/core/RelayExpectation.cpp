#include "RelayExpectation.h"

#include "CommandFrames.h"

std::map<int, bool> expectedRelays(const std::array<bool, 64> &before,
                                   const QList<QByteArray> &frames)
{
    std::map<int, bool> expected;
    for (const QByteArray &frame : frames) {
        if (frame.size() != CommandFrames::frameLength || frame[2] != '0')
            continue;
        const int bank = frame[1] - CommandFrames::bankLetters[0];
        if (bank < 0 || bank >= CommandFrames::bankCount)
            continue;
        const auto mask = static_cast<quint8>(frame[3]);
        for (int position = 0; position < CommandFrames::relaysPerBank; ++position) {
            if (!(mask & (1u << position)))
                continue;
            const int relay = bank * CommandFrames::relaysPerBank + position + 1;
            const auto found = expected.find(relay);
            const bool was =
                found == expected.end() ? before[std::size_t(relay - 1)] : found->second;
            expected[relay] = !was;
        }
    }
    return expected;
}
