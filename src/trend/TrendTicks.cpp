#include "TrendTicks.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <cmath>

namespace TrendTicks {

namespace {

// More ticks than any axis draws: a step that gives more is a mistake, not a plan.
constexpr double mostTicks = 1000;

} // namespace

double valueStep(double low, double high, int maxTicks)
{
    const double span = high - low;
    if (!std::isfinite(span) || !(span > 0))
        return 1.0;
    const double least = span / std::max(1, maxTicks - 1);
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (const double multiple : {1.0, 2.0, 5.0, 10.0}) {
        // A hair of slack: log10 and pow round, and 0.1 * 10 may come out below 1.
        if (multiple * power >= least * (1 - 1e-9))
            return multiple * power;
    }
    return 10.0 * power;
}

QList<double> valueTicks(double low, double high, double step)
{
    if (!(step > 0) || !std::isfinite(low) || !std::isfinite(high) || high < low ||
        (high - low) / step > mostTicks)
        return {};
    const double slack = step * 1e-9;
    QList<double> ticks;
    // Each tick a whole multiple of the step, rather than a sum that gathers rounding
    // errors (0.1 + 0.2 is not 0.3).
    for (double k = std::ceil((low - slack) / step); k * step <= high + slack; ++k)
        ticks << (k == 0 ? 0.0 : k * step);
    return ticks;
}

QString valueLabelFormat(double low, double high, double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return QStringLiteral("%.4g");
    const double largest = std::max(std::abs(low), std::abs(high));
    const int stepDigit = int(std::floor(std::log10(step) + 1e-9));
    // Fixed digits while the numbers stay short; beyond that, as many significant digits
    // as tell neighbouring ticks apart.
    if (largest < 1e7 && stepDigit >= -6)
        return QStringLiteral("%.%1f").arg(std::max(0, -stepDigit));
    const int largestDigit = largest > 0 ? int(std::floor(std::log10(largest))) : stepDigit;
    return QStringLiteral("%.%1g").arg(std::clamp(largestDigit - stepDigit + 1, 1, 17));
}

qint64 timeStep(qint64 spanMs, int maxTicks)
{
    static constexpr std::array<qint64, 25> steps{
        10,       20,           50,           100,           200,           500,
        secondMs, 2 * secondMs, 5 * secondMs, 10 * secondMs, 15 * secondMs, 30 * secondMs,
        minuteMs, 2 * minuteMs, 5 * minuteMs, 10 * minuteMs, 15 * minuteMs, 30 * minuteMs,
        hourMs,   2 * hourMs,   3 * hourMs,   6 * hourMs,    12 * hourMs,   dayMs,
        2 * dayMs};
    const qint64 least = std::max<qint64>(1, spanMs) / std::max(1, maxTicks - 1);
    for (const qint64 step : steps)
        if (step >= least)
            return step;
    qint64 weeks = 7 * dayMs;
    while (weeks < least)
        weeks *= 2;
    return weeks;
}

QList<qint64> timeTicks(qint64 from, qint64 to, qint64 step, const QTimeZone &zone)
{
    QList<qint64> ticks;
    if (step <= 0 || to < from || (to - from) / step > qint64(mostTicks))
        return ticks;
    const auto add = [&](qint64 tick) {
        // A wall-clock time that the change to summer time skips comes out as another
        // tick's: each tick is kept once, in order.
        if (tick >= from && tick <= to && (ticks.isEmpty() || tick > ticks.last()))
            ticks << tick;
    };
    const QDateTime first = QDateTime::fromMSecsSinceEpoch(from, zone);
    if (step >= dayMs) {
        // Julian day 0 was a Monday, so multiples of seven days fall on Mondays.
        const qint64 days = step / dayMs;
        QDate date = first.date();
        date = date.addDays((days - date.toJulianDay() % days) % days);
        // Bounded: a date beyond what QDate holds is invalid and gives no time to stop at.
        for (int round = 0; round <= int(mostTicks) && date.isValid(); ++round) {
            const qint64 tick = QDateTime(date, QTime(0, 0), zone).toMSecsSinceEpoch();
            if (tick > to)
                break;
            add(tick);
            date = date.addDays(days);
        }
        return ticks;
    }
    // Every step shorter than a day divides a day, so each day begins on a tick.
    QDate date = first.date();
    qint64 ofDay = (first.time().msecsSinceStartOfDay() + step - 1) / step * step;
    for (int round = 0; round <= 4 * int(mostTicks) && date.isValid(); ++round) {
        if (ofDay >= dayMs) {
            date = date.addDays(1);
            ofDay = 0;
        }
        const qint64 tick =
            QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(ofDay)), zone).toMSecsSinceEpoch();
        if (tick > to)
            break;
        add(tick);
        ofDay += step;
    }
    return ticks;
}

QStringList timeLabels(const QList<qint64> &ticks, qint64 from, qint64 to, qint64 step,
                       const QTimeZone &zone, const QLocale &locale)
{
    const QString date = QStringLiteral("d MMM");
    const QString time = step < secondMs   ? QStringLiteral("HH:mm:ss.zzz")
                         : step < minuteMs ? QStringLiteral("HH:mm:ss")
                                           : QStringLiteral("HH:mm");
    const QDate firstDay = QDateTime::fromMSecsSinceEpoch(from, zone).date();
    const QDate lastDay = QDateTime::fromMSecsSinceEpoch(to, zone).date();
    QStringList labels;
    QDate labelledDay;
    for (const qint64 tick : ticks) {
        const QDateTime at = QDateTime::fromMSecsSinceEpoch(tick, zone);
        QString format;
        if (step >= dayMs)
            format = date;
        else if (to - from >= dayMs)
            format = date + u' ' + time;
        else if (firstDay != lastDay && at.date() != labelledDay)
            format = date + u' ' + time;
        else
            format = time;
        labelledDay = at.date();
        labels << locale.toString(at, format);
    }
    return labels;
}

} // namespace TrendTicks
