// The monitor window's controls that act on the board: relay buttons, macros, the debug
// strip and the analog-output sliders.
#include "ColorButton.h"
#include "CommandFrames.h"
#include "MacroCommand.h"
#include "frmMonitor.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSlider>

void frmMonitor::connectControls()
{
    using Handler = void (frmMonitor::*)(int);
    static constexpr Handler relayHandlers[] = {
        &frmMonitor::cmdRelayA_Click, &frmMonitor::cmdRelayB_Click, &frmMonitor::cmdRelayC_Click,
        &frmMonitor::cmdRelayD_Click, &frmMonitor::cmdRelayE_Click, &frmMonitor::cmdRelayF_Click,
        &frmMonitor::cmdRelayG_Click, &frmMonitor::cmdRelayH_Click};
    for (int bank = 0; bank < CommandFrames::bankCount; ++bank)
        for (int position = 0; position < CommandFrames::relaysPerBank; ++position)
            connect(w.cmdRelay[bank][position], &QAbstractButton::clicked, this,
                    [this, bank, position] { (this->*relayHandlers[bank])(position); });
    for (int i = 0; i < int(w.cmdMacro.size()); ++i)
        connect(w.cmdMacro[i], &QAbstractButton::clicked, this, [this, i] { cmdMacro_Click(i); });
    connect(w.Command1, &QPushButton::clicked, this, &frmMonitor::Command1_Click);
    connect(w.VScroll1, &QSlider::valueChanged, this, &frmMonitor::VScroll1_Change);
    connect(w.VScroll2, &QSlider::valueChanged, this, &frmMonitor::VScroll2_Change);
    connect(w.chkOnTop, &QCheckBox::toggled, this, &frmMonitor::chkOnTop_Click);
}

void frmMonitor::relayClick(int bank, int index)
{
    m_core->clickRelay(bank * CommandFrames::relaysPerBank + index);
}

bool frmMonitor::relayLocked(int relay) const
{
    return relay == PanelOptions::watchdogRelay && w.chkWDT->isChecked();
}

void frmMonitor::cmdMacro_Click(int index)
{
    m_core->clickMacro(index);
}

void frmMonitor::showMacroTexts(const MacroCommand::MacroResult &result)
{
    if (result.text1)
        w.Text1->setText(*result.text1);
    for (int slot = 0; slot < MacroCommand::debugSlots; ++slot)
        if (result.text2[slot])
            w.Text2[slot]->setText(*result.text2[slot]);
}

void frmMonitor::Command1_Click()
{
    const QStringList numbers = MacroCommand::command1Texts(w.Text1->text());
    for (int slot = 0; slot < MacroCommand::debugSlots && slot < numbers.size(); ++slot)
        w.Text2[slot]->setText(numbers[slot]);
}

void frmMonitor::VScroll1_Change()
{
    m_core->setOutput(1, w.VScroll1->value(), m_applyingStoredOutput);
}

void frmMonitor::VScroll2_Change()
{
    m_core->setOutput(2, w.VScroll2->value(), m_applyingStoredOutput);
}

void frmMonitor::showOutput(int output, int value)
{
    // A script's value moves the slider, whose change handler then finds nothing changed.
    (output == 1 ? w.VScroll1 : w.VScroll2)->setValue(value);
    (output == 1 ? w.Label10 : w.Label11)->setText(AnalogOutputs::levelText(value));
}

void frmMonitor::setAnalogOutFromStore(int output, int value)
{
    const QScopedValueRollback fromStore(m_applyingStoredOutput, true);
    (output == 1 ? w.VScroll1 : w.VScroll2)->setValue(value);
}
