// The link as the user meets it, with the clock running: the board is pulled out and comes
// back, stops answering, and the lamp and its tooltip say so. Over real pseudo-terminals,
// the real serial-port adapter and the simulated board.
#include "BoardPanel.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "LinkLamp.h"
#include "LinkText.h"
#include "PortPaths.h"
#include "PseudoTerminal.h"
#include "TestMain.h"
#include "frmMonitor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;
using State = LinkState::State;

namespace {

constexpr int boardPort = 1;
constexpr int patience = 10000; // ms: an upper bound, never a delay

// A device that opens, standing where port 1 falls back to when it has no link: the
// unrelated /dev/ttyS0 of a real PC. Whatever the panel writes to it is kept for the test.
struct StandIn
{
    QTemporaryDir dir;
    PseudoTerminal pty;

    bool start()
    {
        QString error;
        if (!dir.isValid() || !pty.open(&error))
            return false;
        PortPaths::setFallbackPattern(dir.filePath(u"ttyS%1"_s));
        return QFile::link(pty.slavePath(), PortPaths::fallbackPath(boardPort));
    }
    QByteArray received() const
    {
        QByteArray bytes(4096, '\0');
        const ssize_t count = ::read(pty.masterFd(), bytes.data(), std::size_t(bytes.size()));
        return bytes.left(count > 0 ? int(count) : 0);
    }
    ~StandIn() { PortPaths::setFallbackPattern(u"/dev/ttyS%1"_s); }
};

struct Rig : BoardPanel
{
    bool start()
    {
        if (!startBoardAndWindow(boardPort))
            return false;
        window->Form_Load();
        return messages.texts.isEmpty() && port.isOpen();
    }
    State state() const { return window->poll().link().state(); }
    bool awaitState(State wanted, int within = patience)
    {
        return QTest::qWaitFor([&] { return state() == wanted; }, within);
    }
    QString tooltip() const { return window->w.Picture5->toolTip(); }
    QColor lamp() const
    {
        return window->w.Picture5->isVisible() ? window->w.Picture5->color()
                                               : window->w.Picture2->color();
    }
};

} // namespace

class TestEndToEndReconnect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The board is pulled out (its link goes with it) and plugged back, twenty times. While
    // it is away, the poll keeps looking for it on its link, and never opens the device the
    // port would fall back to without a link.
    void pulledAndReturnedTwentyTimes()
    {
        StandIn standIn;
        QVERIFY(standIn.start());
        Rig rig;
        QVERIFY(rig.start());
        rig.window->show();
        QVERIFY(rig.awaitState(State::Live));

        for (int cycle = 0; cycle < 20; ++cycle) {
            QVERIFY(rig.board.hangUp());
            QVERIFY2(rig.awaitState(State::Lost), qPrintable(u"cycle %1"_s.arg(cycle)));
            // At least one reopen tried while the board was away, and found nothing.
            QVERIFY(QTest::qWaitFor(
                [&] { return rig.port.lastProblem().kind == PortProblem::Kind::NoSuchDevice; },
                patience));
            QVERIFY(!rig.port.isOpen());

            QSignalSpy requests(&rig.board, &PtyBoard::statusRequested);
            QElapsedTimer away;
            away.start();
            QVERIFY(rig.board.reconnect());
            QVERIFY2(
                requests.wait(2000) || !requests.isEmpty(),
                qPrintable(u"cycle %1: no request on the new device after %2 ms"_s.arg(cycle).arg(
                    away.elapsed())));
            QVERIFY(rig.awaitState(State::Live));
            QCOMPARE(rig.port.device(), rig.board.devicePath());
            QCOMPARE(standIn.received(), QByteArray());
        }
        QCOMPARE(rig.messages.texts, QStringList());
    }

    // Each state on the lamp and in its tooltip, as the board goes silent, goes away and
    // comes back; the readouts dim while what they show is old.
    void theLampTellsEachState()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.window->show();
        auto *temperature = rig.window->findChild<QLabel *>(u"LabelTemp"_s);
        const QColor bright = temperature->palette().color(QPalette::WindowText);

        QVERIFY(rig.awaitState(State::Live));
        QCOMPARE(rig.lamp(), LinkText::lampColor(State::Live));
        QVERIFY2(rig.tooltip().startsWith(
                     u"Live: Com 1 (%1), answering since "_s.arg(rig.board.devicePath())),
                 qPrintable(rig.tooltip()));

        rig.board.setSilent(true);
        QVERIFY(rig.awaitState(State::NoReply));
        QCOMPARE(rig.lamp(), LinkText::lampColor(State::NoReply));
        QVERIFY2(rig.tooltip().startsWith(
                     u"No reply from Com 1 (%1) since "_s.arg(rig.board.devicePath())),
                 qPrintable(rig.tooltip()));
        QVERIFY(temperature->palette().color(QPalette::WindowText) != bright);
        QVERIFY(rig.window->poll().linkLit()); // the relay command's guard is untouched

        const QString device = rig.board.devicePath();
        QVERIFY(rig.board.hangUp());
        QVERIFY(rig.awaitState(State::Lost));
        QCOMPARE(rig.lamp(), LinkText::lampColor(State::Lost));
        QVERIFY2(rig.tooltip().startsWith(u"Com 1 (%1) lost at "_s.arg(device)),
                 qPrintable(rig.tooltip()));
        QVERIFY(
            QTest::qWaitFor([&] { return rig.tooltip().contains(u"does not exist"_s); }, patience));

        rig.board.setSilent(false);
        QVERIFY(rig.board.reconnect());
        QVERIFY(rig.awaitState(State::Live));
        QCOMPARE(rig.lamp(), LinkText::lampColor(State::Live));
        QVERIFY(rig.tooltip().contains(rig.board.devicePath()));
        QCOMPARE(temperature->palette().color(QPalette::WindowText), bright);
    }

    // While the about box has the window disabled, the board is still live: the lamp and
    // the relay buttons look exactly as they do with the window enabled.
    void aDisabledWindowKeepsTheBoardsColours()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.board.setRelay(1, true);
        rig.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
        ColorButton *r1 = rig.window->w.cmdRelay[0][0];
        QVERIFY(
            QTest::qWaitFor([&] { return r1->backColor() == rig.window->onColor(); }, patience));

        const QImage lampEnabled = rig.window->w.Picture5->grab().toImage();
        const QImage relayEnabled = r1->grab().toImage();
        const QImage inputEnabled = rig.window->w.LblStatus[0]->grab().toImage();
        rig.window->setEnabled(false);
        QCOMPARE(rig.window->w.Picture5->grab().toImage(), lampEnabled);
        QCOMPARE(r1->grab().toImage(), relayEnabled);
        QCOMPARE(rig.window->w.LblStatus[0]->grab().toImage(), inputEnabled);
        // and the lamp is lit, not grey
        const QImage lamp = lampEnabled.convertToFormat(QImage::Format_RGB32);
        const QColor centre = lamp.pixelColor(lamp.rect().center());
        QVERIFY2(centre.green() > 150 && centre.red() < 150, qPrintable(centre.name()));
    }

    // A port without a link falls back to its /dev/ttyS device at start; the lamp's
    // tooltip says so while nothing answers there.
    void aPortWithoutALinkSaysWhereItFellBack()
    {
        StandIn standIn;
        QVERIFY(standIn.start());
        MemorySettingsStore store;
        QtSerialPortAdapter port;
        FakeMessageBox messages;
        frmMonitor window(MonitorPlatform{store, port, messages});
        window.Form_Load();
        QVERIFY(port.isOpen());
        QCOMPARE(port.path(), PortPaths::fallbackPath(1));
        QVERIFY2(window.w.Picture2->toolTip().contains(u"has no device assigned"_s),
                 qPrintable(window.w.Picture2->toolTip()));
    }
};

TARNWICK_TEST_MAIN(TestEndToEndReconnect)
#include "tst_e2e_reconnect.moc"
