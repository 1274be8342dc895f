#pragma once

#include <array>

class AGauge;
class ColorButton;
class LampLabel;
class LinkLamp;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QWidget;

// Every element of the monitor window, named as the board panel has always named them. The
// layout is in twips on a client area of 11850 twips' width; the two views only change how
// much of it the window's height shows.
struct MonitorWidgets
{
    // Macros
    QGroupBox *Frame6 = nullptr;
    std::array<ColorButton *, 32> cmdMacro{};

    // Meters
    std::array<AGauge *, 6> AGauge1{};

    // Analog outputs: sliders, level labels above, name labels below.
    QSlider *VScroll1 = nullptr;
    QSlider *VScroll2 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label12 = nullptr;

    // Readouts
    QLabel *LabelFreq = nullptr;
    QLabel *LabelTemp = nullptr;

    // Option row
    QLabel *Label7 = nullptr; // "Deg C"
    QCheckBox *Check4 = nullptr;
    QLabel *Label8 = nullptr; // "On Top"
    QCheckBox *chkOnTop = nullptr;
    QLabel *Label3 = nullptr; // "WDT"
    QCheckBox *chkWDT = nullptr;
    QLabel *Label1 = nullptr;     // "Connect"
    LinkLamp *Picture2 = nullptr; // grey lamp (red while a device that never answered is gone)
    LinkLamp *Picture5 = nullptr; // lit lamp over it: green, amber or red

    // Inputs
    QGroupBox *Frame4 = nullptr;
    std::array<LampLabel *, 8> LblStatus{};

    // Relays: banks A-D in Frame3, E-H in Frame1; [bank][position].
    QGroupBox *Frame3 = nullptr;
    QGroupBox *Frame1 = nullptr;
    std::array<std::array<ColorButton *, 8>, 8> cmdRelay{};

    // Received string
    QLabel *Label18 = nullptr;
    QLabel *Label2 = nullptr;

    // Debug strip, below both views.
    QLineEdit *Text1 = nullptr;
    std::array<QLineEdit *, 6> Text2{};
    QPushButton *Command1 = nullptr;
};

namespace MonitorLayout {

// The designed client area, in twips.
inline constexpr int clientWidth = 11850;
inline constexpr int clientHeight = 4530;
// How far down the client area reaches: below the debug strip.
inline constexpr int extentHeight = 7680;

// The outer heights of the two views. The outer height counts the caption, menu and borders
// of the designed window: 710 twips above the client area's height.
inline constexpr int normalHeight = 5240;
inline constexpr int diagnosticHeight = 7200;
inline constexpr int chromeHeight = normalHeight - clientHeight;

// Colours, 0x00BBGGRR.
inline constexpr unsigned designColor = 192;        // RGB(192,0,0), before any frame
inline constexpr unsigned macroColor = 16761024;    // RGB(192,192,255)
inline constexpr unsigned readoutTextColor = 49152; // RGB(0,192,0)
inline constexpr unsigned readoutBackColor = 32768; // RGB(0,128,0)

// Builds every element on the client widget at its place, with its design caption.
MonitorWidgets build(QWidget *client);

// The back colour of a lamp or readout label, 0x00BBGGRR.
unsigned backColor(const QWidget *widget);
void setBackColor(QWidget *widget, unsigned bgr);

// The readouts' text colour, bright while the board answers and dim while what they show
// is old: the temperature, the frequency and the received string.
void showValuesStale(MonitorWidgets &w, bool stale);

} // namespace MonitorLayout
