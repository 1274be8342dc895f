#pragma once

#include <array>

class QWidget;
class TrendHistory;
class AGauge;

// What the program finds by name in the trend window's module (tarnwick-trends).
namespace TrendWindowModule {

// The six gauges whose scales the trend window follows.
using Gauges = std::array<AGauge *, 6>;

// Makes the trend window over `history`, reading the scales of `gauges`; the caller owns
// it.
using Make = QWidget *(*)(TrendHistory &history, const Gauges &gauges);
inline constexpr char makeName[] = "tarnwickMakeTrendWindow";

// Shows a window that `Make` made: raised, unminimised and active.
using Show = void (*)(QWidget *trends);
inline constexpr char showName[] = "tarnwickShowTrendWindow";

} // namespace TrendWindowModule
