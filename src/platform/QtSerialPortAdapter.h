#pragma once

#include "SerialPort.h"

#include <QSerialPort>

// The board's serial line through Qt SerialPort.
//
// Two facts about Qt SerialPort 6.4 shape this class. Its readAll() only returns what the
// event loop has already pulled in, so readAll() here pulls pending bytes itself first and
// never depends on the event loop. And it can raise ResourceError or ReadError on a healthy
// line (a zero-length read counts as an error), so an error only closes the port when the
// device itself has gone: then every later call would fail, and the port closes once and
// reports itself lost.
class QtSerialPortAdapter final : public SerialPort
{
public:
    QtSerialPortAdapter();
    ~QtSerialPortAdapter() override;

    bool isOpen() const override;
    void close() override;
    void setPortNumber(int number) override;
    int portNumber() const override;
    void setSettings(const QString &settings) override;
    bool open() override;
    void setReadLength(int length) override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void clearOutput() override;
    void clearInput() override;
    qint64 bytesToWrite() const override;
    bool isLost() const override;
    QString path() const override { return m_path; }
    QString device() const override { return m_device; }
    PortProblem lastProblem() const override { return m_problem; }

private:
    // Looks at the error the last call left: a device that has gone closes the port and
    // gives false; anything else is forgotten.
    bool settleError();

    QSerialPort m_port;
    int m_number = 0;
    QString m_settings = QStringLiteral("19200,n,8,1");
    bool m_lost = false;
    QString m_path;
    QString m_device;
    PortProblem m_problem;
};
