#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTimeZone>

// Where the axes put their ticks: on round numbers and round times, so a reader can say
// what a point is worth at a glance. Plain functions; the chart lays out what they give.
namespace TrendTicks {

// The step of a value axis from `low` to `high` with at most `maxTicks` ticks: 1, 2 or 5
// times a power of ten (0.5, 1, 2, 5, 10, 20 ...). 1 for a range that is empty or not
// finite.
double valueStep(double low, double high, int maxTicks);
// The multiples of `step` from `low` to `high`, ends included; none when there would be
// absurdly many (a step that does not fit the range).
QList<double> valueTicks(double low, double high, double step);
// A printf format that writes every tick of the range with the digits its step needs and
// no more: "%.0f" for a step of 20, "%.1f" for 0.5, "%.3g" beyond what fixed digits show.
QString valueLabelFormat(double low, double high, double step);

inline constexpr qint64 secondMs = 1000;
inline constexpr qint64 minuteMs = 60 * secondMs;
inline constexpr qint64 hourMs = 60 * minuteMs;
inline constexpr qint64 dayMs = 24 * hourMs;

// The step of a time axis over `spanMs` with at most `maxTicks` ticks, from round
// steps: 10, 20, 50 ... 500 ms, 1, 2, 5, 10, 15, 30 s, the same in minutes, 1, 2, 3, 6,
// 12 h, 1 and 2 days, then weeks (1, 2, 4, 8 ...).
qint64 timeStep(qint64 spanMs, int maxTicks);
// The ticks from `from` to `to` (ms since the epoch), ends included: round on the wall
// clock of `zone` (whole hours are whole hours where the offset is +05:30 too). Steps of
// days fall on midnight, steps of weeks on Mondays' midnights.
QList<qint64> timeTicks(qint64 from, qint64 to, qint64 step, const QTimeZone &zone);
// One label a tick, each different from the others: the time of day as exactly as the
// step needs; the date alone for steps of days; the date beside the time when the range
// spans a day or more; and when a shorter range crosses midnight, beside the first tick
// and the first of the new day, so the reader sees where the day changes.
QStringList timeLabels(const QList<qint64> &ticks, qint64 from, qint64 to, qint64 step,
                       const QTimeZone &zone, const QLocale &locale);

} // namespace TrendTicks
