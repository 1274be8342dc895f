#pragma once

#include <QString>

class SettingsStore;

// What the seeding needs of the monitor window for the defaults that are not constants. At
// start these are the window's initial captions and placement.
class RegInitSource
{
public:
    virtual ~RegInitSource() = default;

    virtual QString macroCaption(int n) const = 0; // n = 0..31
    virtual QString inputCaption(int k) const = 0; // k = 0..7
    // The window's edges and height, in twips.
    virtual float windowLeft() const = 0;
    virtual float windowTop() const = 0;
    virtual float windowHeight() const = 0;
};

// Writes the default of every seeded key that is absent or holds the empty text, in seeding
// order, and leaves every other key alone. The file is written once, at the end.
void RegInit(SettingsStore &store, const RegInitSource &source);
