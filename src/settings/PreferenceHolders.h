#pragma once

#include <QString>

class AGauge;
class SerialPort;

// The setup dialog's 64 macro-string fields, which hold "OnString" n and "OffString" n.
class MacroStringHolders
{
public:
    virtual ~MacroStringHolders() = default;
    virtual QString onString(int n) const = 0;
    virtual void setOnString(int n, const QString &text) = 0;
    virtual QString offString(int n) const = 0;
    virtual void setOffString(int n, const QString &text) = 0;
};

// The elements that hold the live value of each setting, as the load-all and the save-all
// reach them. The monitor window implements this; setting a value behaves like the user's
// change of that element (a slider's change handler runs when its value really changes).
class PreferenceHolders
{
public:
    virtual ~PreferenceHolders() = default;

    // The monitor window's outer height and edges, in twips.
    virtual float windowHeight() const = 0;
    virtual void setWindowHeight(float twips) = 0;
    virtual float windowLeft() const = 0;
    virtual void setWindowLeft(float twips) = 0;
    virtual float windowTop() const = 0;
    virtual void setWindowTop(float twips) = 0;

    // Check boxes: 0 clear, 1 checked.
    virtual int tempMode() const = 0; // Check4
    virtual void setTempMode(int state) = 0;
    virtual int onTop() const = 0; // chkOnTop
    virtual void setOnTop(int state) = 0;

    // Captions: input lamp k (0..7), macro button n (0..31), analog output name 1 or 2.
    virtual QString inputName(int k) const = 0;
    virtual void setInputName(int k, const QString &text) = 0;
    virtual QString macroName(int n) const = 0;
    virtual void setMacroName(int n, const QString &text) = 0;
    virtual QString analogOutName(int output) const = 0;
    virtual void setAnalogOutName(int output, const QString &text) = 0;

    // Slider positions, output 1 or 2. The holder keeps a position within 0..255.
    virtual int analogOutValue(int output) const = 0;
    virtual void setAnalogOutValue(int output, int value) = 0;

    // The poll interval as loaded: text or a number.
    virtual QString mtrResponse() const = 0;
    virtual void setMtrResponse(const QString &text) = 0;

    virtual SerialPort &serialPort() = 0;
    virtual AGauge &gauge(int m) = 0; // m = 0..5

    // The setup dialog's string fields. The owner creates the dialog hidden when it does not
    // exist yet; that creation may run a load-all of its own before this returns. Null while
    // the program has no setup dialog to hold them.
    virtual MacroStringHolders *macroStrings() = 0;
};
