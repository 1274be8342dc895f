#pragma once

#include "SerialPort.h"

#include <QList>
#include <QStringList>

// A serial port for unit tests: it records every operation in order ("open", "close",
// "clearOutput", "clearInput", "write 24 3B 3B 3B 0D"), hands out what a test queued as
// received bytes, and opens or fails as the test says.
class FakeSerialPort final : public SerialPort
{
public:
    bool isOpen() const override { return m_open; }
    void close() override;
    void setPortNumber(int number) override;
    int portNumber() const override { return m_number; }
    void setSettings(const QString &settings) override { m_settings = settings; }
    bool open() override;
    void setReadLength(int length) override { m_readLength = length; }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void clearOutput() override;
    void clearInput() override;
    bool isLost() const override { return m_lost; }
    QString path() const override { return m_path; }
    QString device() const override { return m_path; }
    PortProblem lastProblem() const override { return m_problem; }

    // Test controls.
    void receive(const QByteArray &bytes) { m_received += bytes; }
    void setOpenSucceeds(bool succeeds) { m_openSucceeds = succeeds; }
    // What a failing open reports.
    void setProblem(const PortProblem &problem) { m_problem = problem; }
    void setPath(const QString &path) { m_path = path; }
    void hangUp(); // the device goes away while open
    void clearLog()
    {
        m_log.clear();
        m_writes.clear();
    }

    const QStringList &log() const { return m_log; }
    const QList<QByteArray> &writes() const { return m_writes; }
    QString settings() const { return m_settings; }
    int readLength() const { return m_readLength; }

    static QString hex(const QByteArray &bytes);

private:
    bool m_open = false;
    bool m_openSucceeds = true;
    bool m_lost = false;
    int m_number = 0;
    int m_readLength = -1;
    QString m_settings;
    QString m_path;
    PortProblem m_problem;
    QByteArray m_received;
    QStringList m_log;
    QList<QByteArray> m_writes;
};
