#pragma once

#include "MeterValues.h"

#include <QWidget>

class AGauge;
class ColorPicker;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class SettingsStore;
class SetupHost;

// The "Meters" tab: one meter's title, scale, colour bands, divisions and multiplier, and
// the poll period. It works on the monitor's live gauges, so the user sees each change on
// the dial behind the dialog at once; the gauges' settings reach the store through the
// save-all, the multiplier directly.
class MetersPage : public QWidget
{
    Q_OBJECT

public:
    MetersPage(SetupHost &host, SettingsStore &store, ColorPicker &colors,
               QWidget *parent = nullptr);

    // Makes meter 0 current and shows it, with the poll period.
    void Load();

    int currentMeter() const { return m_currentMeter; }

    // Reactions.
    void Combo1_Click(); // a meter chosen from the list
    void Text1_Change();
    void HScroll2_Change();
    void HScroll4_Change();
    void HScroll3_Change();
    void Command4_Click() { colorClick(1); }
    void Command5_Click() { colorClick(2); }
    void Command6_Click() { colorClick(3); }
    void Command10_Click();
    void Command12_Click();

    QComboBox *Combo1 = nullptr;
    QLineEdit *Text1 = nullptr; // title
    QLineEdit *Text8 = nullptr; // zero value
    QLineEdit *Text9 = nullptr; // full-scale value
    QPushButton *Command12 = nullptr;
    QLineEdit *Text3 = nullptr; // end of band 1
    QLineEdit *Text5 = nullptr; // end of band 2
    QLineEdit *Text7 = nullptr; // end of band 3
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command10 = nullptr;
    QScrollBar *HScroll2 = nullptr; // divisions
    QScrollBar *HScroll4 = nullptr; // multiplier in hundredths
    QLabel *Label8 = nullptr;
    QScrollBar *HScroll3 = nullptr; // poll period
    QLabel *Label6 = nullptr;

private:
    void build();
    void connectControls();
    AGauge &gauge(int m) const;
    void showBandsAndScale(AGauge &gauge);
    // Moves a slider; its reaction runs only when the value is one the slider shows exactly.
    static void setSlider(QScrollBar *slider, MeterValues::SliderPosition position);
    void colorClick(int band);
    // Sets the bands from the value boxes; false, changing nothing, when a box holds no
    // number.
    bool applyBands();

    SetupHost &m_host;
    SettingsStore &m_store;
    ColorPicker &m_colors;
    int m_currentMeter = 0;
    // True while Load fills the page: what it shows comes from the store, so the reactions
    // it sets off write nothing back (a poll period moved at load runs no save-all).
    bool m_loading = false;
    // The picker preselects the colour it gave last in this dialog's life.
    quint32 m_pickerColor = 0;
};
