#include "MonitorHolders.h"

#include "ColorButton.h"
#include "LampLabel.h"
#include "frmMonitor.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

MonitorHolders::MonitorHolders(frmMonitor &window)
    : m_window(window)
{}

float MonitorHolders::windowHeight() const
{
    return float(m_window.outerHeight());
}

void MonitorHolders::setWindowHeight(float twips)
{
    m_window.setOuterHeight(twips);
}

float MonitorHolders::windowLeft() const
{
    return m_window.windowLeft();
}

void MonitorHolders::setWindowLeft(float twips)
{
    m_window.moveTo(twips, m_window.windowTop());
}

float MonitorHolders::windowTop() const
{
    return m_window.windowTop();
}

void MonitorHolders::setWindowTop(float twips)
{
    m_window.moveTo(m_window.windowLeft(), twips);
}

int MonitorHolders::tempMode() const
{
    return m_window.w.Check4->isChecked() ? 1 : 0;
}

void MonitorHolders::setTempMode(int state)
{
    m_window.w.Check4->setChecked(state == 1);
}

int MonitorHolders::onTop() const
{
    return m_window.w.chkOnTop->isChecked() ? 1 : 0;
}

void MonitorHolders::setOnTop(int state)
{
    m_window.w.chkOnTop->setChecked(state == 1);
}

// The names are the core's; the window shows them as they change.
QString MonitorHolders::inputName(int k) const
{
    return m_window.core().names().at(PanelNames::Kind::Input, k);
}

void MonitorHolders::setInputName(int k, const QString &text)
{
    m_window.core().setName(PanelNames::Kind::Input, k, text);
}

QString MonitorHolders::macroName(int n) const
{
    return m_window.core().names().at(PanelNames::Kind::Macro, n);
}

void MonitorHolders::setMacroName(int n, const QString &text)
{
    m_window.core().setName(PanelNames::Kind::Macro, n, text);
}

QString MonitorHolders::analogOutName(int output) const
{
    return m_window.core().names().at(PanelNames::Kind::Output, output - 1);
}

void MonitorHolders::setAnalogOutName(int output, const QString &text)
{
    m_window.core().setName(PanelNames::Kind::Output, output - 1, text);
}

int MonitorHolders::analogOutValue(int output) const
{
    return (output == 1 ? m_window.w.VScroll1 : m_window.w.VScroll2)->value();
}

void MonitorHolders::setAnalogOutValue(int output, int value)
{
    m_window.setAnalogOutFromStore(output, value);
}

QString MonitorHolders::mtrResponse() const
{
    return m_window.mtr_response();
}

void MonitorHolders::setMtrResponse(const QString &text)
{
    m_window.setMtrResponse(text);
}

SerialPort &MonitorHolders::serialPort()
{
    return m_window.MSComm1();
}

AGauge &MonitorHolders::gauge(int m)
{
    return *m_window.w.AGauge1.at(m);
}

MacroStringHolders *MonitorHolders::macroStrings()
{
    return m_window.macroStrings();
}
