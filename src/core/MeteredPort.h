#pragma once

#include "LinePace.h"
#include "SerialPort.h"

#include <functional>

// The serial port as the core writes to it: every byte that goes out, from the poll, the
// relay commands or the analog outputs, is counted against the line's rate, so commands from
// scripts can wait until the line is free. Everything else passes straight through.
class MeteredPort final : public SerialPort
{
public:
    using Clock = std::function<qint64()>; // milliseconds, monotonic

    MeteredPort(SerialPort &port, Clock clock);

    const LinePace &pace() const { return m_pace; }
    SerialPort &port() { return m_port; }

    bool isOpen() const override { return m_port.isOpen(); }
    void close() override { m_port.close(); }
    void setPortNumber(int number) override { m_port.setPortNumber(number); }
    int portNumber() const override { return m_port.portNumber(); }
    void setSettings(const QString &settings) override { m_port.setSettings(settings); }
    bool open() override { return m_port.open(); }
    void setReadLength(int length) override { m_port.setReadLength(length); }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override { return m_port.readAll(); }
    void clearOutput() override { m_port.clearOutput(); }
    void clearInput() override { m_port.clearInput(); }
    qint64 bytesToWrite() const override { return m_port.bytesToWrite(); }
    bool isLost() const override { return m_port.isLost(); }
    QString path() const override { return m_port.path(); }
    QString device() const override { return m_port.device(); }
    PortProblem lastProblem() const override { return m_port.lastProblem(); }

private:
    SerialPort &m_port;
    Clock m_clock;
    LinePace m_pace;
};
