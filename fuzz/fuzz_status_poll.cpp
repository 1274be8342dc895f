// The poll tick over whatever the serial line delivers, and the decoders over every frame the
// tick accepts. The input is a list of multiplier texts and then one piece of received bytes
// per tick.
#include "CommandFrames.h"
#include "FakeSerialPort.h"
#include "FuzzSupport.h"
#include "NumberText.h"
#include "StatusDecoders.h"
#include "StatusFrame.h"
#include "StatusPoll.h"

#include <QRegularExpression>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

class RecordingHandler final : public StatusFrameHandler
{
public:
    void showStatusFrame(const QByteArray &frame) override { frames << frame; }
    QList<QByteArray> frames;
};

// A field reads as a number when it is leading blanks, an optional sign and digits to its
// end; worked out here with a pattern, apart from the frame code's own scan.
std::optional<int> fieldNumber(const QByteArray &frame, StatusFrame::Field field)
{
    static const QRegularExpression number(QStringLiteral("^ *([+-]?[0-9]+)\\z"));
    const QString text = QString::fromLatin1(frame.mid(field.position - 1, field.width));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toInt();
}

// The lamps a field's value lights: its bits for 0..255, all from 256 up, none below 0.
void checkLights(const StatusDecoders::Lights &lights, int value)
{
    for (int k = 0; k < 8; ++k) {
        const bool expected = value > 255 || (value >= 0 && (value >> k & 1) != 0);
        FUZZ_CHECK(lights[k] == expected);
    }
}

void checkAllOut(const StatusDecoders::Lights &lights)
{
    for (const bool on : lights)
        FUZZ_CHECK(!on);
}

constexpr std::array<double, StatusDecoders::meterCount> scaleMaxima{100, 255, 50, 1000, 10, 1};

void checkDecoding(const QByteArray &frame,
                   const std::array<QString, StatusDecoders::meterCount> &multipliers)
{
    using namespace StatusDecoders;
    const TickDisplay tick = decodeTick(frame, scaleMaxima, multipliers);

    const std::optional<int> inputs = fieldNumber(frame, StatusFrame::inputs);
    FUZZ_CHECK(tick.inputs.decoded == inputs.has_value());
    FUZZ_CHECK(StatusFrame::readNumber(frame, StatusFrame::inputs) == inputs);
    if (!inputs) {
        checkAllOut(tick.inputs.lamps);
        FUZZ_CHECK(!tick.relays && !tick.meters && !tick.reachesOutputs);
        return;
    }
    checkLights(tick.inputs.lamps, *inputs);

    // Banks read A to H until the first that does not read; it and the later ones stay out.
    FUZZ_CHECK(tick.relays.has_value());
    int banksRead = 0;
    for (int bank = 0; bank < bankCount; ++bank) {
        const std::optional<int> value = fieldNumber(frame, StatusFrame::relayBanks[bank]);
        if (value && banksRead == bank) {
            checkLights(tick.relays->banks[bank], *value);
            ++banksRead;
        } else {
            checkAllOut(tick.relays->banks[bank]);
        }
    }
    FUZZ_CHECK(tick.relays->banksDecoded == banksRead);
    if (banksRead < bankCount) {
        FUZZ_CHECK(!tick.meters && !tick.reachesOutputs);
        return;
    }

    FUZZ_CHECK(tick.meters.has_value());
    int metersRead = 0;
    for (int m = 0; m < meterCount; ++m) {
        const std::optional<int> value = fieldNumber(frame, StatusFrame::meters[m]);
        const std::optional<double> multiplier = NumberText::toDouble(multipliers[m]);
        if (!value || !multiplier)
            break;
        const double needle = double(*value) / meterFullScale * scaleMaxima[m] * *multiplier;
        FUZZ_CHECK(tick.meters->needles[m] == needle ||
                   (std::isnan(needle) && std::isnan(tick.meters->needles[m])));
        ++metersRead;
    }
    FUZZ_CHECK(tick.meters->metersDecoded == metersRead);
    FUZZ_CHECK(tick.reachesOutputs == (metersRead == meterCount));
}

// The readouts show the frame's characters one for one.
void checkReadouts(const QByteArray &frame)
{
    const QString shown = StatusFrame::text(frame);
    FUZZ_CHECK(shown.size() == frame.size());
    for (qsizetype i = 0; i < frame.size(); ++i)
        FUZZ_CHECK(shown[i].unicode() == quint8(frame[i]));
    FUZZ_CHECK(StatusFrame::frequencyText(frame) ==
               shown.mid(StatusFrame::frequency.position - 1, StatusFrame::frequency.width));
    if (const std::optional<int> fahrenheit = fieldNumber(frame, StatusFrame::temperature)) {
        FUZZ_CHECK(StatusFrame::temperatureText(*fahrenheit, false) ==
                   QString::number(*fahrenheit) + u'F');
        const QString celsius = StatusFrame::temperatureText(*fahrenheit, true);
        FUZZ_CHECK(celsius.endsWith(u'C'));
        // The whole degrees at or below the exact value, so within one degree under it.
        const double degrees = celsius.chopped(1).toDouble();
        const double exact = (*fahrenheit - 32) * 5.0 / 9.0;
        FUZZ_CHECK(degrees <= exact && exact < degrees + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    FuzzedDataProvider input(data, size);

    std::array<QString, StatusDecoders::meterCount> multipliers;
    for (QString &multiplier : multipliers)
        multiplier = QString::fromStdString(input.ConsumeRandomLengthString(8));

    FakeSerialPort port;
    port.setPortNumber(1);
    port.open();
    RecordingHandler handler;
    StatusPoll poll(port, handler);

    QByteArray lastAccepted;
    while (input.remaining_bytes() > 0) {
        const std::string piece =
            input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(0, 150));
        const QByteArray received(piece.data(), qsizetype(piece.size()));
        const qsizetype writesBefore = port.writes().size();
        const qsizetype framesBefore = handler.frames.size();

        port.receive(received);
        poll.Timer1_Timer();

        // Every tick sends one status request, whatever came in.
        FUZZ_CHECK(port.writes().size() == writesBefore + 1);
        FUZZ_CHECK(port.writes().back() == CommandFrames::statusRequest());
        // Exactly 70 bytes are a frame; anything else leaves the last frame as it was.
        if (received.size() == StatusFrame::length) {
            FUZZ_CHECK(handler.frames.size() == framesBefore + 1);
            FUZZ_CHECK(handler.frames.back() == received);
            lastAccepted = received;
            checkDecoding(received, multipliers);
            checkReadouts(received);
        } else {
            FUZZ_CHECK(handler.frames.size() == framesBefore);
        }
        FUZZ_CHECK(poll.A() == lastAccepted);
        FUZZ_CHECK(poll.linkLit() == !lastAccepted.isEmpty());
    }
    return 0;
}
