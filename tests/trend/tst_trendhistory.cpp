// The history the panel keeps from its start: each shown frame adds the six needles as the
// gauges show them, at the wall clock's time, and an outage of the link breaks the line.
#include "TestMain.h"
#include "TrendRig.h"

#include <QSignalSpy>

using namespace TrendTest;

namespace {

QByteArray frameWithMeters(const std::array<QByteArray, 6> &meters)
{
    FrameBuilder builder;
    builder.meters = meters;
    return builder.frame();
}

} // namespace

class TestTrendHistory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachShownFrameAddsTheNeedles()
    {
        Rig rig;
        rig.start();
        QSignalSpy sampled(rig.history.get(), &TrendHistory::sampled);
        rig.wallNow = startOfDay + 1234;
        rig.tick(frameWithMeters({"255", "128", "000", "064", "200", "010"}));
        QCOMPARE(sampled.count(), 1);
        const TrendSample &sample = rig.history->ring().newest();
        QCOMPARE(sample.msecsSinceEpoch, startOfDay + 1234);
        QVERIFY(!sample.gapBefore);
        for (int m = 0; m < 6; ++m)
            QCOMPARE(sample.values[std::size_t(m)], float(rig.gauge(m).needleValue()));
        // The frame really moved the needles: full scale on channel 0, nothing on channel 2.
        QCOMPARE(double(sample.values[0]), rig.gauge(0).scaleMax());
        QCOMPARE(sample.values[2], 0.0f);

        // A reply that is no complete frame shows nothing and adds nothing.
        rig.tick("garbage\r");
        QCOMPARE(sampled.count(), 1);
    }

    void anOutageBreaksTheLine()
    {
        Rig rig;
        rig.start();
        const QByteArray frame = frameWithMeters({"100", "100", "100", "100", "100", "100"});
        rig.tick(frame);
        rig.pollNow += 200;
        rig.tick(frame);
        // The board falls silent until the link is no longer live, then answers again.
        for (int i = 0; i < 10 && rig.window().poll().link().state() == LinkState::State::Live;
             ++i) {
            rig.pollNow += 500;
            rig.window().poll().Timer1_Timer();
        }
        QCOMPARE(rig.window().poll().link().state(), LinkState::State::NoReply);
        rig.pollNow += 200;
        rig.tick(frame);
        rig.pollNow += 200;
        rig.tick(frame);

        QList<bool> gaps;
        const TrendSpan all = rig.history->ring().all();
        for (std::size_t i = 0; i < all.size(); ++i)
            gaps << all[i].gapBefore;
        QCOMPARE(gaps, (QList<bool>{false, false, true, false}));
    }
};

TARNWICK_TEST_MAIN(TestTrendHistory)
#include "tst_trendhistory.moc"
