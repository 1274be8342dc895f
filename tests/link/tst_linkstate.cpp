// What the user is told about the link: the state machine with its clock in the test's hand,
// and the lamp's colour and tooltip for each state.
#include "LinkState.h"
#include "LinkText.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;
using State = LinkState::State;

Q_DECLARE_METATYPE(LinkState::State)

namespace {

// A history as the poll lives it: "f@t" a complete frame at t ms, "l@t" the device lost,
// "r@t" reopened, "u@t" a tick with no frame (interval 200 unless the row says otherwise).
LinkState replay(const QString &events, int interval)
{
    LinkState link;
    for (const QString &event : events.split(u' ', Qt::SkipEmptyParts)) {
        const qint64 at = event.mid(2).toLongLong();
        switch (event.at(0).unicode()) {
        case 'f':
            link.frameArrived(at);
            break;
        case 'l':
            link.portLost(at);
            break;
        case 'r':
            link.portReopened(at);
            break;
        default:
            break;
        }
        link.update(at, interval);
    }
    return link;
}

} // namespace

class TestLinkState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void liveWindowIsThreeIntervalsAndAtLeastASecond_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<qint64>("window");
        QTest::newRow("180") << 180 << qint64(1000);
        QTest::newRow("333") << 333 << qint64(1000);
        QTest::newRow("334") << 334 << qint64(1002);
        QTest::newRow("5000") << 5000 << qint64(15000);
    }
    void liveWindowIsThreeIntervalsAndAtLeastASecond()
    {
        QFETCH(int, interval);
        QFETCH(qint64, window);
        QCOMPARE(LinkState::liveWindow(interval), window);
    }

    void histories_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<int>("interval");
        QTest::addColumn<State>("state");
        QTest::addColumn<qint64>("since");

        QTest::newRow("nothing yet") << u"u@100 u@5000"_s << 200 << State::Never << qint64(0);
        QTest::newRow("first frame") << u"u@100 f@300"_s << 200 << State::Live << qint64(300);
        QTest::newRow("live keeps its start")
            << u"f@300 f@500 f@700"_s << 200 << State::Live << qint64(300);
        QTest::newRow("silent for exactly the window")
            << u"f@300 u@1300"_s << 200 << State::Live << qint64(300);
        QTest::newRow("silent a moment longer")
            << u"f@300 f@500 u@1501"_s << 200 << State::NoReply << qint64(500);
        QTest::newRow("slow poll is still live")
            << u"f@0 u@2900"_s << 1000 << State::Live << qint64(0);
        QTest::newRow("slow poll past three intervals")
            << u"f@0 u@3001"_s << 1000 << State::NoReply << qint64(0);
        QTest::newRow("answers again")
            << u"f@0 u@2000 f@2200"_s << 200 << State::Live << qint64(2200);
        QTest::newRow("lost while live")
            << u"f@0 l@400 u@3000"_s << 200 << State::Lost << qint64(400);
        QTest::newRow("lost twice keeps the first loss")
            << u"f@0 l@400 l@1400"_s << 200 << State::Lost << qint64(400);
        QTest::newRow("lost before it ever answered")
            << u"u@100 l@300"_s << 200 << State::Lost << qint64(300);
        QTest::newRow("reopened, not answering yet")
            << u"f@0 l@400 r@1400"_s << 200 << State::NoReply << qint64(1400);
        QTest::newRow("reopened, never answered")
            << u"l@300 r@1300"_s << 200 << State::Never << qint64(0);
        QTest::newRow("reopened and answering")
            << u"f@0 l@400 r@1400 f@1600"_s << 200 << State::Live << qint64(1600);
        QTest::newRow("reopen without a loss changes nothing")
            << u"f@0 r@100"_s << 200 << State::Live << qint64(0);
    }
    void histories()
    {
        QFETCH(QString, events);
        QFETCH(int, interval);
        QFETCH(State, state);
        QFETCH(qint64, since);
        const LinkState link = replay(events, interval);
        QCOMPARE(link.state(), state);
        if (state != State::Never)
            QCOMPARE(link.since(), since);
    }

    void updateSaysWhenTheStateChanged()
    {
        LinkState link;
        link.frameArrived(0);
        QVERIFY(!link.update(1000, 200));
        QVERIFY(link.update(1001, 200));
        QVERIFY(!link.update(5000, 200)); // already not replying
    }

    void names()
    {
        QCOMPARE(linkStateName(State::Never), "never");
        QCOMPARE(linkStateName(State::Live), "live");
        QCOMPARE(linkStateName(State::NoReply), "no-reply");
        QCOMPARE(linkStateName(State::Lost), "lost");
    }

    void tooltips_data()
    {
        QTest::addColumn<State>("state");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("tooltip");
        QTest::newRow("live") << State::Live << u"/dev/ttyUSB0"_s << QString()
                              << u"Live: Com 1 (/dev/ttyUSB0), answering since 14:02:07"_s;
        QTest::newRow("no reply") << State::NoReply << u"/dev/ttyUSB0"_s << QString()
                                  << u"No reply from Com 1 (/dev/ttyUSB0) since 14:02:07"_s;
        QTest::newRow("lost") << State::Lost << u"/dev/ttyUSB0"_s
                              << u"/dev/ttyUSB0 does not exist."_s
                              << u"Com 1 (/dev/ttyUSB0) lost at 14:02:07; looking for it "
                                 "again\n/dev/ttyUSB0 does not exist."_s;
        QTest::newRow("never, open") << State::Never << u"/dev/pts/4"_s << QString()
                                     << u"No answer yet from Com 1 (/dev/pts/4)"_s;
        QTest::newRow("never, not open")
            << State::Never << QString() << u"Busy."_s << u"Com 1 is not open\nBusy."_s;
    }
    void tooltips()
    {
        QFETCH(State, state);
        QFETCH(QString, device);
        QFETCH(QString, problem);
        QFETCH(QString, tooltip);
        LinkText::Link link{state, 1, device, QTime(14, 2, 7), problem};
        QCOMPARE(LinkText::tooltip(link), tooltip);
    }

    void everyStateHasItsOwnLampColour()
    {
        const QList<QColor> colours = {
            LinkText::lampColor(State::Never), LinkText::lampColor(State::Live),
            LinkText::lampColor(State::NoReply), LinkText::lampColor(State::Lost)};
        for (int i = 0; i < colours.size(); ++i)
            for (int j = i + 1; j < colours.size(); ++j)
                QVERIFY(colours[i] != colours[j]);
        QCOMPARE(LinkText::lampColor(State::Live).green() > 200, true);
        QCOMPARE(LinkText::lampColor(State::Lost).red() > 200, true);
    }
};

TARNWICK_TEST_MAIN(TestLinkState)
#include "tst_linkstate.moc"
