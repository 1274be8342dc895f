#include "FakeSerialPort.h"

void FakeSerialPort::close()
{
    m_log << QStringLiteral("close");
    m_open = false;
    m_lost = false;
}

void FakeSerialPort::setPortNumber(int number)
{
    if (!m_open)
        m_number = number;
}

bool FakeSerialPort::open()
{
    m_log << QStringLiteral("open");
    if (m_openSucceeds) {
        m_open = true;
        m_lost = false;
        m_received.clear(); // as a real port: nothing from before the open
    }
    return m_open;
}

bool FakeSerialPort::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    m_log << QStringLiteral("write ") + hex(bytes);
    m_writes << bytes;
    return true;
}

QByteArray FakeSerialPort::readAll()
{
    if (!m_open)
        return {};
    return std::exchange(m_received, {});
}

void FakeSerialPort::clearOutput()
{
    if (m_open)
        m_log << QStringLiteral("clearOutput");
}

void FakeSerialPort::clearInput()
{
    if (!m_open)
        return;
    m_log << QStringLiteral("clearInput");
    m_received.clear();
}

void FakeSerialPort::hangUp()
{
    m_open = false;
    m_lost = true;
    m_openSucceeds = false;
}

QString FakeSerialPort::hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}
