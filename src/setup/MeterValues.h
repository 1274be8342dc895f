#pragma once

#include <QString>
#include <optional>

// The arithmetic of the meters page, free of widgets: which meter a list text names, where a
// slider stands for a stored value, and how the scale Apply divides a scale into bands.
namespace MeterValues {

inline constexpr int meterCount = 6;

// The meter a text of the meter list names: "Meter 1" to "Meter 6" give 0 to 5. Every
// "Meter " is removed and the rest read as a number; only a whole number from 1 to 6 names
// a meter, so text typed into the list's field that names none addresses no gauge.
std::optional<int> meterFromListText(const QString &text);

struct SliderRange
{
    int minimum;
    int maximum;
};
inline constexpr SliderRange divisionsRange{0, 9};       // minor ticks
inline constexpr SliderRange multiplierRange{1, 1000};   // hundredths: 0.01 to 10.00
inline constexpr SliderRange pollPeriodRange{180, 5000}; // milliseconds

// Where a slider stands for a value. A value the slider cannot show (out of its range, not
// a number, a poll period that is not a whole number) gets the nearest position the slider
// has and is marked inexact: the page then moves the slider without running its reaction,
// so a hand-edited value is shown as well as it can be but not rewritten. A multiplier
// finer than hundredths is exact: the slider's reaction stores it in its resolution.
struct SliderPosition
{
    int value;
    bool exact;

    friend bool operator==(const SliderPosition &, const SliderPosition &) = default;
};

// A minor-tick count; a fraction rounds half to even as the gauge rounds it.
SliderPosition divisionsPosition(double count);
// "TicSubCount-Gauge" as stored; text that is not a number shows `shownCount`, the count the
// gauge kept.
SliderPosition divisionsPosition(const QString &stored, int shownCount);
// A multiplier text, in hundredths rounded half to even; text that is not a number shows
// 1.00, the design position.
SliderPosition multiplierPosition(const QString &text);
// "Meter Response" as stored: the interval the poll really takes for it (a number rounded to
// whole milliseconds and kept within the range; 200 for text that is not a number).
SliderPosition pollPeriodPosition(const QString &stored);

// The multiplier a slider position stands for, as text: 150 gives "1.5", 1 gives "0.01".
QString multiplierText(int position);

// The band ends of the scale Apply: 60 % and 80 % of the span from the zero value, and the
// full-scale text itself. Nothing when either text is not a number or an end cannot be
// computed (the span overflows).
struct BandEnds
{
    QString band1;
    QString band2;
    QString band3;
};
std::optional<BandEnds> dividedBands(const QString &zero, const QString &fullScale);

bool isNumber(const QString &text);

} // namespace MeterValues
