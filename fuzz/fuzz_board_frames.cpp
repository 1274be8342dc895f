// The simulated board's reading of the byte stream the panel sends: the stream cut into
// pieces of any size, each frame applied to the board's state, and the board's status frame
// read back by the panel's decoders. The frames found are checked against a second cutting
// of the whole stream at once, and every byte is accounted for.
#include "BoardState.h"
#include "FrameReader.h"
#include "FuzzSupport.h"
#include "PanelReadsBoard.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

// The shape rule over the whole stream: a "$" with a carriage return four bytes later is a
// frame; any other byte is garbage, except a "$" too close to the end to tell yet.
QList<QByteArray> framesOf(const QByteArray &stream, qsizetype *held)
{
    QList<QByteArray> frames;
    qsizetype at = 0;
    *held = 0;
    while (at < stream.size()) {
        if (stream[at] == '$' && at + 4 >= stream.size()) {
            *held = stream.size() - at;
            break;
        }
        if (stream[at] == '$' && stream[at + 4] == '\r') {
            frames.append(stream.mid(at, 5));
            at += 5;
        } else {
            ++at;
        }
    }
    return frames;
}

// What one frame does to the board: a relay-bank frame inverts the masked relays of its bank,
// "$II"/"$JJ" set an analog output, anything else changes nothing.
void checkApplied(const QByteArray &frame, const BoardState &before, const BoardState &after,
                  FrameKind kind)
{
    const char first = frame[1], second = frame[2];
    const auto argument = quint8(frame[3]);
    BoardState expected = before;
    FrameKind expectedKind = FrameKind::Unknown;
    if (first >= 'A' && first <= 'H' && second == '0') {
        expectedKind = FrameKind::RelayBank;
        expected.setRelayBank(first - 'A', quint8(before.relayBank(first - 'A') ^ argument));
    } else if ((first == 'I' || first == 'J') && second == first) {
        expectedKind = first == 'I' ? FrameKind::AnalogOutput1 : FrameKind::AnalogOutput2;
        expected.setAnalogOutput(first == 'I' ? 1 : 2, argument);
    } else if (frame == "$;;;\r") {
        expectedKind = FrameKind::StatusRequest;
    }
    FUZZ_CHECK(kind == expectedKind);
    FUZZ_CHECK(after == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FrameReader reader;
    BoardState state;
    QByteArray stream;
    QList<QByteArray> frames;
    while (input.remaining_bytes() > 0) {
        const std::string piece =
            input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 16));
        stream.append(piece.data(), qsizetype(piece.size()));
        for (const QByteArray &frame : reader.feed(QByteArrayView(piece.data(), piece.size()))) {
            FUZZ_CHECK(frame.size() == FrameReader::frameLength);
            FUZZ_CHECK(frame.startsWith('$') && frame.endsWith('\r'));
            const BoardState before = state;
            checkApplied(frame, before, state, state.apply(frame));
            frames.append(frame);
        }
        // Only the start of a frame is held back, never a whole one.
        FUZZ_CHECK(reader.pendingBytes() < FrameReader::frameLength);
    }

    qsizetype held = 0;
    FUZZ_CHECK(frames == framesOf(stream, &held));
    FUZZ_CHECK(reader.pendingBytes() == held);
    FUZZ_CHECK(reader.discardedBytes() + 5 * frames.size() + held == stream.size());
    checkPanelReadsBoard(state);

    reader.clear();
    FUZZ_CHECK(reader.pendingBytes() == 0 && reader.discardedBytes() == 0);
    return 0;
}
