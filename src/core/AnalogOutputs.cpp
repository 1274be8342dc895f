#include "AnalogOutputs.h"

#include "CommandFrames.h"

#include <QtGlobal>
#include <algorithm>
#include <cmath>

namespace AnalogOutputs {

namespace {

constexpr int levelDivisor = 51;

} // namespace

QString levelText(int value)
{
    // Hundredths of value / 51, rounded half away from zero in whole numbers.
    const qint64 magnitude = qAbs(qint64(value)) * 100;
    const qint64 hundredths = (2 * magnitude + levelDivisor) / (2 * levelDivisor);
    const QString text = QStringLiteral("%1.%2")
                             .arg(hundredths / 100)
                             .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    return value < 0 && hundredths != 0 ? QLatin1Char('-') + text : text;
}

Output::Output(int number)
    : m_number(number)
{
    Q_ASSERT(number == 1 || number == 2);
}

void Output::change(int value)
{
    m_pendingValue = std::clamp(value, minimumValue, maximumValue);
    m_pending = QString::number(m_pendingValue);
}

std::optional<QByteArray> Output::takeFrame()
{
    if (m_pending == m_lastSent)
        return std::nullopt;
    m_lastSent = m_pending;
    return CommandFrames::analogOutputFrame(m_number, quint8(m_pendingValue));
}

QList<QByteArray> sendingStep(Output &output1, Output &output2)
{
    QList<QByteArray> frames;
    for (Output *output : {&output1, &output2}) {
        if (std::optional<QByteArray> frame = output->takeFrame())
            frames.append(std::move(*frame));
    }
    return frames;
}

} // namespace AnalogOutputs
