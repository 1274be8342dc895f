// The history on the simulated board over a real pseudo-terminal: every frame the window
// shows becomes a sample of the needles as the gauges show them, and the board falling
// silent breaks the line.
#include "AGauge.h"
#include "BoardPanel.h"
#include "TestMain.h"
#include "TrendHistory.h"
#include "frmMonitor.h"

#include <QSignalSpy>
#include <memory>

namespace {

constexpr int boardPort = 5;
constexpr int patience = 10000; // ms: an upper bound, never a delay

struct Rig : BoardPanel
{
    std::unique_ptr<TrendHistory> history; // goes before the window it samples
    // What the gauges showed when each sample was taken.
    QList<std::array<float, 6>> needlesAtSample;

    bool start()
    {
        if (!startBoardAndWindow(boardPort))
            return false;
        // Made with the window, before its start, as the program does.
        history = std::make_unique<TrendHistory>(window->core());
        QObject::connect(history.get(), &TrendHistory::sampled, [this] {
            std::array<float, 6> needles{};
            for (int m = 0; m < 6; ++m)
                needles[std::size_t(m)] = float(window->w.AGauge1[std::size_t(m)]->needleValue());
            needlesAtSample << needles;
        });
        window->Form_Load();
        return port.isOpen() && awaitLink(patience);
    }

    bool awaitSamples(qsizetype more)
    {
        const std::size_t wanted = history->ring().size() + std::size_t(more);
        return QTest::qWaitFor([&] { return history->ring().size() >= wanted; }, patience);
    }
};

} // namespace

class TestTrendHistoryBoard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void samplesAreTheNeedlesOfEachShownFrame()
    {
        Rig rig;
        QVERIFY2(rig.start(), qPrintable(rig.board.errorString()));
        QSignalSpy shown(&rig.window->poll(), &StatusPoll::frameShown);
        const qsizetype sampledBefore = qsizetype(rig.history->ring().size());
        const int meters[6] = {0, 51, 102, 153, 204, 255};
        for (int m = 0; m < 6; ++m)
            QVERIFY(rig.board.setMeter(m, meters[m]));
        // Past the frames asked for before the change.
        QVERIFY(rig.awaitSamples(3));
        QVERIFY(rig.awaitSamples(3));

        // One sample for each frame shown, none for anything else.
        QCOMPARE(qsizetype(rig.history->ring().size()), rig.needlesAtSample.size());
        QCOMPARE(shown.count(), qsizetype(rig.history->ring().size()) - sampledBefore);
        const TrendSpan all = rig.history->ring().all();
        for (std::size_t i = 0; i < all.size(); ++i)
            QCOMPARE(all[i].values, rig.needlesAtSample[qsizetype(i)]);
        const TrendSample &newest = rig.history->ring().newest();
        QCOMPARE(newest.values[0], 0.0f);
        for (int m = 1; m < 6; ++m)
            QVERIFY(newest.values[std::size_t(m)] > 0.0f);
        // In time order, close to now.
        for (std::size_t i = 1; i < all.size(); ++i)
            QVERIFY(all[i].msecsSinceEpoch >= all[i - 1].msecsSinceEpoch);
        QVERIFY(qAbs(QDateTime::currentMSecsSinceEpoch() - newest.msecsSinceEpoch) < patience);
    }

    void aSilentBoardBreaksTheLine()
    {
        Rig rig;
        QVERIFY2(rig.start(), qPrintable(rig.board.errorString()));
        QVERIFY(rig.awaitSamples(2));
        rig.board.setSilent(true);
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.window->poll().link().state() == LinkState::State::NoReply; },
            patience));
        const std::size_t before = rig.history->ring().size();
        rig.board.setSilent(false);
        QVERIFY(rig.awaitSamples(2));

        const TrendSpan all = rig.history->ring().all();
        QList<std::size_t> gaps;
        for (std::size_t i = 0; i < all.size(); ++i)
            if (all[i].gapBefore)
                gaps << i;
        QCOMPARE(gaps, QList<std::size_t>{before});
    }
};

TARNWICK_TEST_MAIN(TestTrendHistoryBoard)
#include "tst_trendhistory_board.moc"
