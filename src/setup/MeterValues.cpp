#include "MeterValues.h"

#include "NumberText.h"
#include "StatusPoll.h"

#include <algorithm>
#include <cmath>

namespace MeterValues {

namespace {

SliderPosition within(double wanted, SliderRange range)
{
    const double rounded = std::nearbyint(wanted);
    const double clamped = std::clamp(rounded, double(range.minimum), double(range.maximum));
    return {static_cast<int>(clamped), rounded == clamped};
}

} // namespace

std::optional<int> meterFromListText(const QString &text)
{
    QString rest = text;
    rest.remove(QStringLiteral("Meter "));
    const std::optional<double> number = NumberText::toDouble(rest);
    if (!number || *number != std::floor(*number) || *number < 1 || *number > meterCount)
        return std::nullopt;
    return static_cast<int>(*number) - 1;
}

SliderPosition divisionsPosition(double count)
{
    if (std::isnan(count))
        return {divisionsRange.minimum, false};
    return within(count, divisionsRange);
}

SliderPosition divisionsPosition(const QString &stored, int shownCount)
{
    const std::optional<double> count = NumberText::toDouble(stored);
    if (!count)
        return {divisionsPosition(double(shownCount)).value, false};
    return divisionsPosition(*count);
}

SliderPosition multiplierPosition(const QString &text)
{
    const std::optional<double> factor = NumberText::toDouble(text);
    if (!factor)
        return {100, false};
    return within(*factor * 100.0, multiplierRange);
}

SliderPosition pollPeriodPosition(const QString &stored)
{
    const std::optional<double> milliseconds = NumberText::toDouble(stored);
    const int interval = effectivePollInterval(milliseconds);
    return {interval, milliseconds && *milliseconds == double(interval)};
}

QString multiplierText(int position)
{
    return NumberText::fromDouble(double(position) / 100.0);
}

std::optional<BandEnds> dividedBands(const QString &zero, const QString &fullScale)
{
    const std::optional<double> z = NumberText::toDouble(zero);
    const std::optional<double> f = NumberText::toDouble(fullScale);
    if (!z || !f)
        return std::nullopt;
    const QString band1 = NumberText::fromDouble(*z + (*f - *z) * 0.6);
    const QString band2 = NumberText::fromDouble(*z + (*f - *z) * 0.8);
    if (!isNumber(band1) || !isNumber(band2))
        return std::nullopt;
    return BandEnds{band1, band2, fullScale};
}

bool isNumber(const QString &text)
{
    return NumberText::toDouble(text).has_value();
}

} // namespace MeterValues
