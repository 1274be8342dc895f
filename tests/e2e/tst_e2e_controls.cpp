// The window's controls against the simulated board over a real pseudo-terminal: relay
// buttons, macros and sliders reach the board, and the board's changes reach the window.
#include "AGauge.h"
#include "BoardPanel.h"
#include "ColorButton.h"
#include "MonitorLayout.h"
#include "TestMain.h"
#include "frmMonitor.h"

#include <QAbstractSlider>
#include <QSignalSpy>
#include <QTimer>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int boardPort = 4;
constexpr int patience = 5000; // ms: an upper bound, never a delay
constexpr quint32 green = 3328050;
constexpr quint32 red = 3289800;

struct Rig : BoardPanel
{
    // Starts the window on the board and lets the poll run on its own timer.
    bool start()
    {
        if (!startBoardAndWindow(boardPort))
            return false;
        window->Form_Load();
        return port.isOpen() && awaitLink(patience);
    }

    // Waits until the window has shown a frame asked for after this call: one the board
    // built from its state as it is now.
    bool awaitFreshFrame()
    {
        const int asked = board.statusRequests();
        return QTest::qWaitFor([&] { return board.repliesSent() > asked + 1; }, patience) &&
               QTest::qWaitFor([&] { return board.statusRequests() > asked + 2; }, patience);
    }

    ColorButton *button(const QString &name) const
    {
        return window->findChild<ColorButton *>(name);
    }
};

} // namespace

class TestEndToEndControls : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void relayButtonSwitchesTheBoard()
    {
        Rig rig;
        QVERIFY(rig.start());
        ColorButton *r1 = rig.button(u"cmdRelayA_0"_s);
        QCOMPARE(r1->backColor(), red);

        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        r1->click();
        QVERIFY(QTest::qWaitFor([&] { return rig.board.state().relay(1); }, patience));
        QCOMPARE(r1->backColor(), red); // the click itself recolours nothing
        QTRY_COMPARE_WITH_TIMEOUT(r1->backColor(), green, patience);
    }

    void macroSwitchesItsListsByTheBoardsState()
    {
        Rig rig;
        // R1 and R3 on at the board; the macro wants R1..R3 on and R3 off.
        rig.board.setRelay(1, true);
        rig.board.setRelay(3, true);
        rig.preset(Keys::OnString, u"00,01,"_s, 6);
        rig.preset(Keys::OffString, u"02,"_s, 6);
        QVERIFY(rig.start());
        QVERIFY(rig.awaitFreshFrame());

        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        rig.button(u"cmdMacro_6"_s)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!rig.board.state().relay(3), patience);
        QVERIFY(rig.board.state().relay(1));
        QVERIFY(rig.board.state().relay(2));
        QVERIFY(!frames.contains(QVariantList{QByteArray::fromHex("244130010D")})); // R1 left alone
        QTRY_COMPARE_WITH_TIMEOUT(rig.button(u"cmdRelayA_1"_s)->backColor(), green, patience);
        QTRY_COMPARE_WITH_TIMEOUT(rig.button(u"cmdRelayA_2"_s)->backColor(), red, patience);
    }

    void sliderReachesTheBoardWithTheNextPoll()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.window->findChild<QAbstractSlider *>(u"VScroll1"_s)->setValue(200);
        QTRY_COMPARE_WITH_TIMEOUT(rig.board.state().analogOutput(1), std::optional<quint8>(200),
                                  patience);
    }

    void boardChangesShowWithinTwoPolls()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.board.setInputs(0x81);
        rig.board.setMeter(0, 255);
        rig.board.setMeter(5, 51);
        // The request after the change is answered with it and read by the tick after that.
        QVERIFY(rig.awaitFreshFrame());
        auto *lamp8 = rig.window->findChild<QWidget *>(u"LblStatus_7"_s);
        auto *lamp2 = rig.window->findChild<QWidget *>(u"LblStatus_1"_s);
        QCOMPARE(MonitorLayout::backColor(lamp8), green);
        QCOMPARE(MonitorLayout::backColor(lamp2), red);
        QCOMPARE(rig.window->findChild<AGauge *>(u"AGauge1_0"_s)->needleValue(), 4.0);
        QCOMPARE(rig.window->findChild<AGauge *>(u"AGauge1_5"_s)->needleValue(), 0.8);
    }
};

TARNWICK_TEST_MAIN(TestEndToEndControls)
#include "tst_e2e_controls.moc"
