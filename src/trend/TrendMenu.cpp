#include "TrendMenu.h"

#include <QAction>

TrendMenu::TrendMenu(QAction *trends, TrendHistory &history, const TrendWindow::Gauges &gauges)
    : m_history(history)
    , m_gauges(gauges)
{
    connect(trends, &QAction::triggered, this, &TrendMenu::open);
}

TrendMenu::~TrendMenu() = default;

void TrendMenu::open()
{
    if (!m_window)
        m_window = std::make_unique<TrendWindow>(m_history, m_gauges);
    m_window->showAndRaise();
}
