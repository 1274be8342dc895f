#include "TrendWindowModule.h"

#include "TrendWindow.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT QWidget *tarnwickMakeTrendWindow(TrendHistory &history,
                                                          const TrendWindowModule::Gauges &gauges)
{
    return new TrendWindow(history, gauges);
}

extern "C" Q_DECL_EXPORT void tarnwickShowTrendWindow(QWidget *trends)
{
    static_cast<TrendWindow *>(trends)->showAndRaise();
}

// The signatures are the ones the program calls through.
static_assert(std::is_same_v<decltype(&tarnwickMakeTrendWindow), TrendWindowModule::Make>);
static_assert(std::is_same_v<decltype(&tarnwickShowTrendWindow), TrendWindowModule::Show>);
