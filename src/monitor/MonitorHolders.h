#pragma once

#include "PreferenceHolders.h"

class frmMonitor;

// The monitor window's elements as the load-all and the save-all see them.
class MonitorHolders final : public PreferenceHolders
{
public:
    explicit MonitorHolders(frmMonitor &window);

    float windowHeight() const override;
    void setWindowHeight(float twips) override;
    float windowLeft() const override;
    void setWindowLeft(float twips) override;
    float windowTop() const override;
    void setWindowTop(float twips) override;

    int tempMode() const override;
    void setTempMode(int state) override;
    int onTop() const override;
    void setOnTop(int state) override;

    QString inputName(int k) const override;
    void setInputName(int k, const QString &text) override;
    QString macroName(int n) const override;
    void setMacroName(int n, const QString &text) override;
    QString analogOutName(int output) const override;
    void setAnalogOutName(int output, const QString &text) override;

    int analogOutValue(int output) const override;
    void setAnalogOutValue(int output, int value) override;

    QString mtrResponse() const override;
    void setMtrResponse(const QString &text) override;

    SerialPort &serialPort() override;
    AGauge &gauge(int m) override;
    MacroStringHolders *macroStrings() override;

private:
    frmMonitor &m_window;
};
