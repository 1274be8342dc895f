#pragma once

class QWidget;
class TrendHistory;
class frmMonitor;

// What the program finds by name in the trend window's module (tarnwick-trends).
namespace TrendWindowModule {

// Makes the trend window over `history`, reading the scales of `window`'s gauges; the
// caller owns it.
using Make = QWidget *(*)(TrendHistory &history, frmMonitor &window);
inline constexpr char makeName[] = "tarnwickMakeTrendWindow";

// Shows a window that `Make` made: raised, unminimised and active.
using Show = void (*)(QWidget *trends);
inline constexpr char showName[] = "tarnwickShowTrendWindow";

} // namespace TrendWindowModule
