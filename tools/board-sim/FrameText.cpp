#include "FrameText.h"

#include "BoardState.h"

namespace {

QString hexByte(quint8 byte)
{
    return QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

} // namespace

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString describeFrame(const QByteArray &frame)
{
    BoardState scratch;
    const FrameKind kind = scratch.apply(frame);
    const auto argument = frame.size() > 3 ? quint8(frame[3]) : quint8(0);
    switch (kind) {
    case FrameKind::RelayBank:
        return QStringLiteral("relay bank %1 mask %2")
            .arg(QString(QLatin1Char(frame[1])), hexByte(argument));
    case FrameKind::AnalogOutput1:
        return QStringLiteral("analog output 1 value %1").arg(argument);
    case FrameKind::AnalogOutput2:
        return QStringLiteral("analog output 2 value %1").arg(argument);
    case FrameKind::StatusRequest:
        return QStringLiteral("status request");
    case FrameKind::Unknown:
        break;
    }
    return QStringLiteral("unknown frame");
}

QString frameLine(const QByteArray &frame)
{
    return hexBytes(frame) + QStringLiteral("  ") + describeFrame(frame);
}

QString printableBytes(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = quint8(c);
        if (byte == '\r')
            text += QStringLiteral("<CR>");
        else if (byte == '\n')
            text += QStringLiteral("<LF>");
        else if (byte < 0x20 || byte > 0x7E)
            text += QLatin1Char('<') + hexByte(byte) + QLatin1Char('>');
        else
            text += QLatin1Char(c);
    }
    return text;
}
