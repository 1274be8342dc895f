// The panel core without a window: commands from scripts against the simulated board over a
// real pseudo-terminal, and macro lists read from a real settings file.
#include "BoardFrames.h"
#include "CommandFrames.h"
#include "FakeSerialPort.h"
#include "FixedOptions.h"
#include "MemorySettingsStore.h"
#include "PanelCore.h"
#include "PtyBoard.h"
#include "QSettingsStore.h"
#include "QtSerialPortAdapter.h"
#include "SettingsKeys.h"
#include "TestMain.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

// The core on the board, its port opened as the window opens it at start.
struct BoardCore
{
    MemorySettingsStore store;
    QtSerialPortAdapter port;
    FixedOptions options;
    PtyBoard board;
    std::unique_ptr<PanelCore> core; // last: it goes before the port and the board

    bool start(int number)
    {
        if (!board.start(number))
            return false;
        port.setPortNumber(number);
        port.setSettings(u"19200,n,8,1"_s);
        if (!port.open())
            return false;
        port.setReadLength(0);
        core = std::make_unique<PanelCore>(port, store, options);
        return QTest::qWaitFor([&] { return core->poll().linkLit(); }, patience);
    }

    // Until a frame requested after the command has been shown.
    bool awaitConfirmation(const PanelCore::Outcome &outcome)
    {
        return QTest::qWaitFor([&] { return core->poll().frameAnswers() > outcome.confirmAfter; },
                               patience);
    }
};

} // namespace

class TestPanelCore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aWishRepeatedBeforeItIsConfirmedWritesNothing_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("afterTheFirstIsWritten");
        QTest::newRow("on twice, from off, the second while the first waits") << true << false;
        QTest::newRow("off twice, from on, the second while the first waits") << false << false;
        QTest::newRow("on twice, from off, the second while the first is in flight")
            << true << true;
        QTest::newRow("off twice, from on, the second while the first is in flight")
            << false << true;
    }
    void aWishRepeatedBeforeItIsConfirmedWritesNothing()
    {
        QFETCH(bool, on);
        QFETCH(bool, afterTheFirstIsWritten);
        BoardCore rig;
        rig.board.setRelay(7, !on);
        QVERIFY(rig.start(3));
        QVERIFY(QTest::qWaitFor([&] { return rig.core->state().relayOn(6) == !on; }, patience));
        QSignalSpy received(&rig.board, &PtyBoard::frameReceived);
        const PanelCore::Wish wish = on ? PanelCore::Wish::On : PanelCore::Wish::Off;

        std::vector<PanelCore::Outcome> outcomes;
        const auto keep = [&](const PanelCore::Outcome &outcome) {
            outcomes.push_back(outcome);
        };
        rig.core->requestRelay(6, wish, keep);
        if (afterTheFirstIsWritten) {
            QVERIFY(QTest::qWaitFor([&] { return outcomes.size() == 1; }, patience));
            QCOMPARE(outcomes[0].frames, QList<QByteArray>{MakeRelayFrame('A', 6)});
        }
        // Before any frame could show the first.
        rig.core->requestRelay(6, wish, keep);
        QCOMPARE(rig.core->expectedOn(6), on);
        QVERIFY(QTest::qWaitFor([&] { return outcomes.size() == 2; }, patience));
        const std::map<int, bool> asked{{7, on}};
        for (const PanelCore::Outcome &outcome : outcomes) {
            QVERIFY(!outcome.refusal);
            QCOMPARE(outcome.expect, asked);
        }
        if (afterTheFirstIsWritten)
            QVERIFY(outcomes[1].frames.isEmpty());

        QVERIFY(rig.awaitConfirmation(outcomes[1]));
        QCOMPARE(rig.core->state().relayOn(6), on);
        QCOMPARE(commandFrames(received), QList<QByteArray>{MakeRelayFrame('A', 6)});
    }

    void aBurstOfTogglesKeepsToTheLinesRateAndThePollGoesOn()
    {
        BoardCore rig;
        QVERIFY(rig.start(4));
        const WireLog wire(rig.board);

        // 1000 toggles over all 64 relays, ten every millisecond or so.
        std::array<int, 64> toggles{};
        int sent = 0, answered = 0, refused = 0;
        QTimer sender;
        connect(&sender, &QTimer::timeout, this, [&] {
            for (int i = 0; i < 10 && sent < 1000; ++i, ++sent) {
                const int relay = (sent * 7) % 64;
                ++toggles[std::size_t(relay)];
                rig.core->requestRelay(relay, PanelCore::Wish::Toggle,
                                       [&](const PanelCore::Outcome &outcome) {
                                           ++answered;
                                           refused += outcome.refusal.has_value();
                                       });
            }
        });
        sender.start(1);
        QVERIFY(QTest::qWaitFor([&] { return answered == 1000; }, 3 * patience));
        QCOMPARE(refused, 0);
        // Until the last wishes are on the board and shown.
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (int r = 0; r < 64; ++r)
                    if (rig.core->state().relayOn(r) != (toggles[std::size_t(r)] % 2 == 1))
                        return false;
                return rig.core->waitingCount() == 0;
            },
            patience));

        const QString pacing = wire.pacingProblem(rig.core->poll().pollInterval());
        QVERIFY2(pacing.isEmpty(), qPrintable(pacing));
    }

    void commandsFromScriptsWaitWhileAnotherIsInFlight()
    {
        BoardCore rig;
        QVERIFY(rig.start(5));
        QSignalSpy received(&rig.board, &PtyBoard::frameReceived);
        std::vector<PanelCore::Outcome> outcomes;
        const auto keep = [&](const PanelCore::Outcome &outcome) {
            outcomes.push_back(outcome);
        };
        rig.core->requestRelay(0, PanelCore::Wish::On, keep);
        QVERIFY(QTest::qWaitFor([&] { return outcomes.size() == 1; }, patience));
        rig.core->requestRelay(1, PanelCore::Wish::On, keep);
        QCOMPARE(rig.core->waitingCount(), 1); // until a frame confirms R1
        QVERIFY(QTest::qWaitFor([&] { return outcomes.size() == 2; }, patience));
        QVERIFY(rig.core->poll().frameAnswers() > outcomes[0].confirmAfter);
        QVERIFY(rig.awaitConfirmation(outcomes[1]));
        QVERIFY(rig.core->state().relayOn(0) && rig.core->state().relayOn(1));
        QCOMPARE(commandFrames(received),
                 (QList<QByteArray>{MakeRelayFrame('A', 0), MakeRelayFrame('A', 1)}));
    }

    void scriptsAreRefusedWhileTheSetupIsOpen()
    {
        BoardCore rig;
        QVERIFY(rig.start(6));
        std::vector<PanelCore::Outcome> outcomes;
        const auto keep = [&](const PanelCore::Outcome &outcome) {
            outcomes.push_back(outcome);
        };
        rig.core->requestRelay(0, PanelCore::Wish::On, keep);
        QVERIFY(QTest::qWaitFor([&] { return outcomes.size() == 1; }, patience));
        rig.core->requestRelay(1, PanelCore::Wish::On, keep); // waits for R1's confirmation
        rig.core->setSetupOpen(true);
        rig.core->requestMacro(0, keep);
        QCOMPARE(outcomes.size(), 3u);
        QCOMPARE(outcomes[1].refusal, std::optional(CommandRefusal::SetupOpen));
        QCOMPARE(outcomes[2].refusal, std::optional(CommandRefusal::SetupOpen));
        QCOMPARE(rig.core->waitingCount(), 0);
    }

    void aPulseSwitchesOnAndOffAgainAfterItsTime_data()
    {
        QTest::addColumn<int>("length");   // ms
        QTest::addColumn<int>("again");    // ms after the on: the same pulse again; 0: never
        QTest::addColumn<int>("shortest"); // ms from on to off, at least
        QTest::newRow("a pulse") << 400 << 0 << 400;
        QTest::newRow("a second pulse starts the time again") << 400 << 200 << 600;
    }
    void aPulseSwitchesOnAndOffAgainAfterItsTime()
    {
        QFETCH(int, length);
        QFETCH(int, again);
        QFETCH(int, shortest);
        BoardCore rig;
        QVERIFY(rig.start(3));
        const int interval = rig.core->poll().pollInterval();
        QElapsedTimer clock;
        qint64 onAt = -1;
        qint64 offAt = -1;
        connect(&rig.board, &PtyBoard::stateChanged, this, [&] {
            if (rig.board.state().relay(9) && onAt < 0)
                onAt = clock.elapsed();
            if (!rig.board.state().relay(9) && onAt >= 0 && offAt < 0)
                offAt = clock.elapsed();
        });
        clock.start();
        std::optional<PanelCore::Outcome> answer;
        rig.core->requestPulse(8, length, [&](const PanelCore::Outcome &o) { answer = o; });
        QVERIFY(QTest::qWaitFor([&] { return answer.has_value(); }, patience));
        QVERIFY(!answer->refusal);
        QCOMPARE(answer->expect, (std::map<int, bool>{{9, true}}));
        QCOMPARE(rig.core->pulses().size(), std::size_t(1));
        QCOMPARE(rig.core->pulses().front().relay, 8);
        QVERIFY(rig.core->pulses().front().msLeft <= length);

        if (again > 0) {
            QVERIFY(QTest::qWaitFor([&] { return onAt >= 0 && clock.elapsed() >= onAt + again; },
                                    patience));
            QVERIFY(offAt < 0);
            std::optional<PanelCore::Outcome> second;
            rig.core->requestPulse(8, length, [&](const PanelCore::Outcome &o) { second = o; });
            QVERIFY(second && !second->refusal && second->frames.isEmpty()); // already on
        }
        QVERIFY(QTest::qWaitFor([&] { return offAt >= 0; }, patience));
        // Never shorter than asked; late by no more than the line's turn and a poll or two.
        QVERIFY2(offAt - onAt >= shortest - 50, qPrintable(QString::number(offAt - onAt)));
        QVERIFY2(offAt - onAt <= shortest + 2 * interval + 300,
                 qPrintable(QString::number(offAt - onAt)));
        QVERIFY(rig.core->pulses().empty());
    }

    void aPulseStillRunningIsEndedBeforeThePortCloses()
    {
        BoardCore rig;
        QVERIFY(rig.start(3));
        std::optional<PanelCore::Outcome> answer;
        rig.core->requestPulse(20, 60000, [&](const PanelCore::Outcome &o) { answer = o; });
        QVERIFY(QTest::qWaitFor([&] { return answer.has_value(); }, patience));
        QVERIFY(rig.awaitConfirmation(*answer));
        QVERIFY(rig.board.state().relay(21));
        rig.core->endPulses();
        rig.core.reset();
        rig.port.close();
        QVERIFY(QTest::qWaitFor([&] { return !rig.board.state().relay(21); }, patience));
    }

    void aMacroListChangedInTheFileIsUsedAtTheNextClick()
    {
        QSettingsStore store;
        SettingsAccess(store).save(Keys::OnString, 0, u"05,"_s);
        FakeSerialPort port;
        FixedOptions options;
        port.setPortNumber(1);
        QVERIFY(port.open());
        PanelCore core(port, store, options);
        core.poll().Timer1->stop();
        core.poll().Timer3->stop();
        port.receive(
            QByteArray("000,000,000,000,000,000,000,000,,000,000,000000,000,000,000,075, 1234\r"));
        core.poll().Timer1_Timer();
        QVERIFY(core.poll().linkLit());
        QCOMPARE(core.clickMacro(0).frames, QList<QByteArray>{MakeRelayFrame('A', 5)});

        // Another program rewrites the file while the panel runs.
        const QString path = store.fileName(SettingsKeys::application);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[StartUp]\nOnString0=\"12,13,\"\n");
        file.close();
        core.poll().Timer3_Timer(); // the resume tick after the first click
        QCOMPARE(core.clickMacro(0).frames,
                 (QList<QByteArray>{MakeRelayFrame('B', 4), MakeRelayFrame('B', 5)}));
    }
};

TARNWICK_TEST_MAIN(TestPanelCore)
#include "tst_panelcore.moc"
