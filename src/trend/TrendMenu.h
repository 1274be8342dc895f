#pragma once

#include "TrendWindow.h"

#include <QObject>
#include <memory>

class QAction;
class TrendHistory;

// Tools > Trends: the trend window over the panel's history, made the first time the item is
// chosen (a panel whose trends are never looked at builds no charts) and brought to the front
// every time.
class TrendMenu : public QObject
{
    Q_OBJECT

public:
    // `history` and the gauges outlive this.
    TrendMenu(QAction *trends, TrendHistory &history, const TrendWindow::Gauges &gauges);
    ~TrendMenu() override;

private:
    void open();

    TrendHistory &m_history;
    TrendWindow::Gauges m_gauges;
    std::unique_ptr<TrendWindow> m_window;
};
