// Tools > Trends, wired as the program wires it: no trend window until the item is first
// chosen, then one window over the panel's own history and gauges, made once and brought
// back to the front each time the item is chosen again.
#include "TestMain.h"
#include "TrendChartView.h"
#include "TrendMenu.h"
#include "TrendRig.h"
#include "TrendWindow.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QPointer>

using namespace TrendTest;
using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

// The trend windows the user could see: every one is a window of its own.
QList<TrendWindow *> trendWindows()
{
    QList<TrendWindow *> found;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *trends = qobject_cast<TrendWindow *>(widget))
            found << trends;
    return found;
}

struct MenuRig : Rig
{
    std::unique_ptr<TrendMenu> menu;

    MenuRig()
    {
        start();
        menu = std::make_unique<TrendMenu>(window().mnuTrends, *history, window().w.AGauge1);
    }

    // Chooses Tools > Trends; the one trend window there is then, or null.
    TrendWindow *chooseTrends()
    {
        window().mnuTrends->trigger();
        const QList<TrendWindow *> shown = trendWindows();
        return shown.size() == 1 ? shown.front() : nullptr;
    }
};

enum class Away { Closed, Minimised, BehindThePanel };

} // namespace

Q_DECLARE_METATYPE(Away)

class TestTrendMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noWindowUntilFirstChosen()
    {
        MenuRig rig;
        rig.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        rig.sample(rig.wallNow, {1, 2, 3, 4, 5, 6});
        QVERIFY(trendWindows().isEmpty());

        TrendWindow *trends = rig.chooseTrends();
        QVERIFY(trends);
        QCOMPARE(trends->objectName(), u"TrendWindow"_s);
        QVERIFY(QTest::qWaitForWindowActive(trends, patience));
        QVERIFY(trends->isVisible());
    }

    void showsThePanelsHistoryUnderItsGauges()
    {
        MenuRig rig;
        rig.gauge(2).setCaption(u"Flow"_s);
        // Samples from before the window was asked for are there when it opens.
        const qint64 opened = rig.wallNow;
        // Ten seconds apart, so each has a pixel column of its own however wide the plot.
        rig.sample(opened - 30000, {10, 20, 30, 40, 50, 60});
        rig.sample(opened - 20000, {11, 21, 77, 41, 51, 61});
        rig.sample(opened - 10000, {12, 22, 32, 42, 52, 62});

        TrendWindow *trends = rig.chooseTrends();
        QVERIFY(trends);
        QVERIFY(QTest::qWaitForWindowExposed(trends, patience));
        trends->refresh(); // laid out now: the charts know their width
        QCOMPARE(trends->chart(2)->chart()->title(), u"Meter 3: Flow"_s);
        QList<qreal> values;
        for (const QPointF &point : trends->chart(2)->trace().points)
            values << point.y();
        QVERIFY2(values.contains(77.0) && values.contains(30.0) && values.contains(32.0),
                 qPrintable(QString::number(values.size())));
    }

    void madeOnceAndBroughtBackWhenChosenAgain_data()
    {
        QTest::addColumn<Away>("away");
        QTest::newRow("closed") << Away::Closed;
        QTest::newRow("minimised") << Away::Minimised;
        QTest::newRow("behind the panel") << Away::BehindThePanel;
    }
    void madeOnceAndBroughtBackWhenChosenAgain()
    {
        QFETCH(Away, away);
        MenuRig rig;
        rig.window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
        const QPointer<TrendWindow> trends = rig.chooseTrends();
        QVERIFY(trends);
        QVERIFY(QTest::qWaitForWindowActive(trends, patience));
        trends->setSpan(TrendWindow::Span::OneHour); // the same window keeps what was chosen

        switch (away) {
        case Away::Closed:
            trends->close();
            QVERIFY(!trends->isVisible());
            break;
        case Away::Minimised:
            trends->showMinimized();
            QVERIFY(trends->isMinimized());
            break;
        case Away::BehindThePanel:
            rig.window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&rig.window(), patience));
            break;
        }

        TrendWindow *again = rig.chooseTrends();
        QVERIFY2(trends, "the first window was thrown away");
        QCOMPARE(again, trends.data());
        QVERIFY(trends->isVisible());
        QVERIFY(!trends->isMinimized());
        QVERIFY(QTest::qWaitForWindowActive(trends, patience));
        QCOMPARE(trends->span(), TrendWindow::Span::OneHour);
    }
};

TARNWICK_TEST_MAIN(TestTrendMenu)
#include "tst_trendmenu.moc"
