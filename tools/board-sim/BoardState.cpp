#include "BoardState.h"

#include "StatusField.h"

namespace {

bool validBank(int bank)
{
    return bank >= 0 && bank < BoardState::relayBankCount;
}

// Three characters, zero-padded; a negative number keeps its sign in the first one.
QByteArray threeDigits(int value)
{
    if (value < 0)
        return '-' + QByteArray::number(-value).rightJustified(2, '0');
    return QByteArray::number(value).rightJustified(3, '0');
}

void put(QByteArray &frame, int start, const QByteArray &text)
{
    frame.replace(start - 1, text.size(), text);
}

} // namespace

quint8 BoardState::relayBank(int bank) const
{
    return validBank(bank) ? m_banks[std::size_t(bank)] : quint8(0);
}

bool BoardState::setRelayBank(int bank, quint8 bits)
{
    if (!validBank(bank))
        return false;
    m_banks[std::size_t(bank)] = bits;
    return true;
}

bool BoardState::relay(int number) const
{
    if (number < 1 || number > relayCount)
        return false;
    return (m_banks[std::size_t((number - 1) / 8)] >> ((number - 1) % 8)) & 1;
}

bool BoardState::setRelay(int number, bool on)
{
    if (number < 1 || number > relayCount)
        return false;
    quint8 &bank = m_banks[std::size_t((number - 1) / 8)];
    const auto bit = quint8(1u << ((number - 1) % 8));
    bank = on ? quint8(bank | bit) : quint8(bank & ~bit);
    return true;
}

int BoardState::meter(int channel) const
{
    return channel >= 0 && channel < meterCount ? m_meters[std::size_t(channel)] : 0;
}

bool BoardState::setMeter(int channel, int value)
{
    if (channel < 0 || channel >= meterCount || value < 0 || value > maxMeter)
        return false;
    m_meters[std::size_t(channel)] = value;
    return true;
}

bool BoardState::setTemperature(int fahrenheit)
{
    if (fahrenheit < minTemperature || fahrenheit > maxTemperature)
        return false;
    m_temperature = fahrenheit;
    return true;
}

bool BoardState::setFrequency(const QByteArray &text)
{
    if (text.size() != StatusLayout::frequencyWidth)
        return false;
    for (const char c : text) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    m_frequency = text;
    return true;
}

std::optional<quint8> BoardState::analogOutput(int output) const
{
    if (output < 1 || output > 2)
        return std::nullopt;
    return m_analogOutputs[std::size_t(output - 1)];
}

bool BoardState::setAnalogOutput(int output, std::optional<quint8> level)
{
    if (output < 1 || output > 2)
        return false;
    m_analogOutputs[std::size_t(output - 1)] = level;
    return true;
}

QByteArray BoardState::statusFrame() const
{
    // Every position no field claims is a comma; the frame ends with a carriage return.
    QByteArray frame(StatusLayout::frameLength, ',');
    for (int bank = 0; bank < relayBankCount; ++bank)
        put(frame, StatusLayout::relayBankStart[std::size_t(bank)],
            threeDigits(m_banks[std::size_t(bank)]));
    for (int channel = 0; channel < meterCount; ++channel)
        put(frame, StatusLayout::meterStart[std::size_t(channel)],
            threeDigits(m_meters[std::size_t(channel)]));
    put(frame, StatusLayout::inputsStart, threeDigits(m_inputs));
    put(frame, StatusLayout::temperatureStart, threeDigits(m_temperature));
    put(frame, StatusLayout::frequencyStart, m_frequency);
    frame[StatusLayout::frameLength - 1] = '\r';
    return frame;
}

FrameKind BoardState::apply(const QByteArray &frame)
{
    if (frame.size() != 5 || frame[0] != '$' || frame[4] != '\r')
        return FrameKind::Unknown;
    const char first = frame[1];
    const char second = frame[2];
    const auto argument = quint8(frame[3]);

    if (first >= 'A' && first <= 'H' && second == '0') {
        quint8 &bank = m_banks[std::size_t(first - 'A')];
        bank = quint8(bank ^ argument);
        return FrameKind::RelayBank;
    }
    if (first == 'I' && second == 'I') {
        m_analogOutputs[0] = argument;
        return FrameKind::AnalogOutput1;
    }
    if (first == 'J' && second == 'J') {
        m_analogOutputs[1] = argument;
        return FrameKind::AnalogOutput2;
    }
    if (first == ';' && second == ';' && argument == ';')
        return FrameKind::StatusRequest;
    return FrameKind::Unknown;
}
