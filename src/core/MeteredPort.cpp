#include "MeteredPort.h"

MeteredPort::MeteredPort(SerialPort &port, Clock clock)
    : m_port(port)
    , m_clock(std::move(clock))
{}

bool MeteredPort::write(const QByteArray &bytes)
{
    const bool written = m_port.write(bytes);
    if (written)
        m_pace.wrote(m_clock(), bytes.size());
    return written;
}
