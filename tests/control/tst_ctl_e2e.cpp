// tarnwick-ctl as a user runs it, as its own process, against the panel in this process on
// the simulated board over a real pseudo-terminal: what each command sends to the board,
// byte for byte, what it prints, and its exit status.
#include "ColorButton.h"
#include "ControlRig.h"
#include "LampLabel.h"
#include "SetupDialogs.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSlider>
#include <QStandardPaths>
#include <QTimer>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace ControlTest;
using namespace Qt::StringLiterals;

namespace {

struct Finished
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs tarnwick-ctl (through `wrapper` when given) with the event loop running, so the
// panel in this process answers it.
Finished ctl(const QStringList &arguments, const QStringList &wrapper = {})
{
    QProcess process;
    const QStringList command = wrapper + QStringList{QStringLiteral(TARNWICK_CTL)} + arguments;
    process.start(command.first(), command.mid(1));
    Finished finished;
    if (!process.waitForStarted(patience) ||
        !QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, patience)) {
        process.kill();
        process.waitForFinished(patience);
        return finished;
    }
    finished.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    finished.out = process.readAllStandardOutput();
    finished.err = process.readAllStandardError();
    return finished;
}

QJsonObject jsonOf(const QByteArray &line)
{
    return QJsonDocument::fromJson(line).object();
}

bool shownOn(Rig &rig, int relay)
{
    return rig.window->w.cmdRelay[(relay - 1) / 8][(relay - 1) % 8]->backColor() ==
           rig.window->onColor();
}

const QByteArray r5Frame = QByteArray::fromHex("244130100D");

} // namespace

class TestCtlEndToEnd : public QObject
{
    Q_OBJECT

    RuntimeFolder m_runtime;

private Q_SLOTS:
    void statusJsonIsTheBoardsState()
    {
        Rig rig;
        rig.board.setRelay(3, true);
        rig.board.setRelay(40, true);
        rig.board.setInputs(0x05);
        rig.board.setMeter(0, 255);
        rig.board.setMeter(5, 51);
        rig.board.setTemperature(212);
        rig.board.setFrequency("01234");
        QVERIFY(rig.start());
        QVERIFY(rig.awaitFreshFrame());
        rig.window->poll().Timer1->stop(); // the frame compared is the last one

        const Finished run = ctl({u"status"_s, u"--json"_s});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count('\n'), 1);
        const QJsonObject status = jsonOf(run.out);
        QCOMPARE(status[u"link"_s].toString(), u"live"_s);
        QCOMPARE(status[u"port"_s].toInt(), boardPort);
        QCOMPARE(status[u"device"_s].toString(), rig.board.devicePath());
        const QJsonArray relays = status[u"relays"_s].toArray();
        QCOMPARE(relays.size(), 64);
        for (int relay = 1; relay <= 64; ++relay)
            QCOMPARE(relays[relay - 1].toBool(), rig.board.state().relay(relay));
        const QJsonArray inputs = status[u"inputs"_s].toArray();
        QCOMPARE(inputs.size(), 8);
        for (int k = 0; k < 8; ++k) {
            QCOMPARE(inputs[k].toBool(), bool(rig.board.state().inputs() & (1 << k)));
            QCOMPARE(status[u"inputNames"_s][k].toString(), rig.window->w.LblStatus[k]->text());
        }
        const QJsonArray meters = status[u"meters"_s].toArray();
        QCOMPARE(meters.size(), 6);
        QCOMPARE(meters[0].toDouble(), 4.0);
        QCOMPARE(meters[5].toDouble(), 0.8);
        QCOMPARE(status[u"meterCaptions"_s].toArray().size(), 6);
        QCOMPARE(status[u"temperature"_s].toString(), rig.window->w.LabelTemp->text());
        QVERIFY(status[u"temperature"_s].toString().contains(u"212"_s));
        QCOMPARE(status[u"frequency"_s].toString(), rig.window->w.LabelFreq->text());
        QVERIFY(status[u"frequency"_s].toString().contains(u"1234"_s));
        QCOMPARE(status[u"aout"_s].toArray(), (QJsonArray{1, 1}));
        QCOMPARE(status[u"frame"_s].toString().toLatin1(), rig.board.state().statusFrame());

        // And the same for a person.
        const Finished text = ctl({u"status"_s});
        QCOMPARE(text.exitCode, 0);
        QVERIFY(text.out.contains("Relays on:   R3 R40"));
    }

    void relayOnSendsOnlyWhenTheRelayShowsOff()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        QCOMPARE(ctl({u"relay"_s, u"R5"_s, u"on"_s}).exitCode, 0);
        QVERIFY(QTest::qWaitFor([&] { return shownOn(rig, 5); }, patience));
        QCOMPARE(commandFrames(frames), QList<QByteArray>{r5Frame});

        frames.clear();
        QCOMPARE(ctl({u"relay"_s, u"R5"_s, u"on"_s}).exitCode, 0);
        QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QVERIFY(rig.board.state().relay(5));
    }

    void aSecondOnOrOffRightAfterTheFirstLeavesTheRelayAsAsked()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        // Twenty times "on" twice and twenty times "off" twice, the second with --wait as
        // soon as the first has returned, before any frame could show what it did.
        for (int round = 0; round < 40; ++round) {
            const bool on = round % 2 == 0;
            const QString action = on ? u"on"_s : u"off"_s;
            frames.clear();
            QCOMPARE(ctl({u"relay"_s, u"R7"_s, action}).exitCode, 0);
            const Finished second = ctl({u"relay"_s, u"R7"_s, action, u"--wait"_s});
            QVERIFY2(second.exitCode == 0, second.err.constData());
            QCOMPARE(shownOn(rig, 7), on);
            QCOMPARE(rig.board.state().relay(7), on);
            QCOMPARE(commandFrames(frames), QList<QByteArray>{QByteArray::fromHex("244130400D")});
        }
    }

    void toggleSendsEveryTime()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        QCOMPARE(ctl({u"relay"_s, u"R5"_s, u"toggle"_s}).exitCode, 0);
        QCOMPARE(ctl({u"relay"_s, u"R5"_s, u"toggle"_s}).exitCode, 0);
        QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), (QList<QByteArray>{r5Frame, r5Frame}));
    }

    void r16IsRefusedWhileWdtIsChecked()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.window->w.chkWDT->setChecked(true);
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        const Finished run = ctl({u"relay"_s, u"R16"_s, u"toggle"_s});
        QCOMPARE(run.exitCode, 4);
        QVERIFY2(run.err.contains("WDT"), run.err.constData());
        QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
    }

    void macroSendsWhatItsButtonSends()
    {
        Rig rig;
        rig.board.setRelay(10, true);
        rig.preset(Keys::OnString, u"00,09,"_s, 2);
        QVERIFY(rig.start());
        QVERIFY(rig.awaitFreshFrame());
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        QCOMPARE(ctl({u"macro"_s, u"3"_s, u"--wait"_s}).exitCode, 0);
        QCOMPARE(commandFrames(frames), QList<QByteArray>{QByteArray::fromHex("244130010D")});
        QVERIFY(shownOn(rig, 1));
    }

    void aoutReachesTheBoardWithTheNextPoll()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        QCOMPARE(ctl({u"aout"_s, u"1"_s, u"13"_s}).exitCode, 0);
        QCOMPARE(rig.window->w.Label10->text(), u"0.25"_s);
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.board.state().analogOutput(1) == std::optional<quint8>(13); },
            patience));
        QCOMPARE(commandFrames(frames), QList<QByteArray>{QByteArray::fromHex("2449490D0D")});
        QCOMPARE(rig.store.read(SettingsKeys::application, SettingsKeys::section,
                                SettingsKeys::keyName(Keys::Aout1)),
                 u"13"_s);
    }

    void waitConfirmsWhatTheBoardDid_data()
    {
        QTest::addColumn<bool>("stuck");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("the board follows") << false << 0;
        QTest::newRow("the board ignores relay frames") << true << 1;
    }
    void waitConfirmsWhatTheBoardDid()
    {
        QFETCH(bool, stuck);
        QFETCH(int, exitCode);
        Rig rig;
        QVERIFY(rig.start());
        rig.board.setRelaysStuck(stuck);
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        const Finished run =
            ctl({u"relay"_s, u"R7"_s, u"on"_s, u"--wait"_s, u"--timeout"_s, u"1.5"_s});
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(commandFrames(frames), QList<QByteArray>{QByteArray::fromHex("244130400D")});
        QCOMPARE(shownOn(rig, 7), !stuck);
        if (stuck)
            QVERIFY2(run.err.contains("R7 on"), run.err.constData());
    }

    void waitInputReturnsWhenTheBoardReportsIt()
    {
        Rig rig;
        QVERIFY(rig.start());
        QProcess waiter;
        waiter.start(QStringLiteral(TARNWICK_CTL), {u"wait"_s, u"input"_s, u"3"_s, u"on"_s});
        QVERIFY(waiter.waitForStarted(patience));
        // Still waiting after frames that show input 3 off.
        QVERIFY(QTest::qWaitFor([&] { return rig.server->watcherCount() == 1; }, patience));
        QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(waiter.state(), QProcess::Running);
        rig.board.setInputs(0x04);
        QVERIFY(QTest::qWaitFor([&] { return waiter.state() == QProcess::NotRunning; }, patience));
        QCOMPARE(waiter.exitCode(), 0);

        QCOMPARE(ctl({u"wait"_s, u"input"_s, u"1"_s, u"on"_s, u"--timeout"_s, u"0.5"_s}).exitCode,
                 1);
    }

    void watchJsonPrintsOneObjectPerFrame()
    {
        Rig rig;
        QVERIFY(rig.start());
        int framesWatched = 0;
        QObject::connect(&rig.window->poll(), &StatusPoll::frameShown, rig.server.get(),
                         [&] { framesWatched += rig.server->watcherCount(); });
        QProcess watcher;
        watcher.start(QStringLiteral(TARNWICK_CTL), {u"watch"_s, u"--json"_s});
        QVERIFY(watcher.waitForStarted(patience));
        QVERIFY(QTest::qWaitFor([&] { return framesWatched >= 5; }, patience));
        rig.window->poll().Timer1->stop();
        QByteArray out;
        QVERIFY(QTest::qWaitFor(
            [&] {
                out += watcher.readAllStandardOutput();
                return out.count('\n') >= framesWatched;
            },
            patience));
        ::kill(pid_t(watcher.processId()), SIGTERM);
        QVERIFY(QTest::qWaitFor([&] { return watcher.state() == QProcess::NotRunning; }, patience));
        out += watcher.readAllStandardOutput();

        const QList<QByteArray> lines = out.trimmed().split('\n');
        QCOMPARE(lines.size(), framesWatched);
        for (const QByteArray &line : lines) {
            const QJsonObject status = jsonOf(line);
            QCOMPARE(status[u"relays"_s].toArray().size(), 64);
            QCOMPARE(status[u"frame"_s].toString().size(), 70);
        }
    }

    void commandsWhileSetupIsOpenAreRefused()
    {
        Rig rig;
        FakeColorPicker colors;
        SetupDialogs dialogs({rig.store, colors});
        const auto dialogFirst = qScopeGuard([&] { delete dialogs.last.data(); });
        QVERIFY(rig.start(&dialogs));
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        rig.window->mnuSetup_Click();
        QVERIFY(dialogs.last);

        for (const QStringList &command :
             {QStringList{u"relay"_s, u"R5"_s, u"toggle"_s}, QStringList{u"macro"_s, u"1"_s},
              QStringList{u"aout"_s, u"2"_s, u"50"_s}}) {
            const Finished run = ctl(command);
            QCOMPARE(run.exitCode, 4);
            QVERIFY2(run.err.contains("setup dialog is open"), run.err.constData());
        }
        QCOMPARE(ctl({u"status"_s}).exitCode, 0);
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QCOMPARE(rig.window->w.VScroll2->value(), 1);
    }

    void withoutAPanelTheExitStatusSaysSo()
    {
        const Finished run = ctl({u"status"_s});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains("no panel is running"), run.err.constData());
        QCOMPARE(ctl({u"relay"_s, u"R99"_s, u"on"_s}).exitCode, 2);
    }

    void aSocketFolderOpenToOthersIsNotUsed()
    {
        const QString folder =
            QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(u"tarnwick"_s);
        QVERIFY(QDir().mkpath(folder));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
        const auto restore =
            qScopeGuard([&] { ::chmod(QFile::encodeName(folder).constData(), 0700); });
        QCOMPARE(PanelInstance::socketPath(), QString());
        const Finished run = ctl({u"status"_s});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains("closed to others"), run.err.constData());
    }

    void anotherUserCannotConnect()
    {
        Rig rig;
        QVERIFY(rig.start());
        const QString socket = PanelInstance::socketPath();
        struct stat info
        {};
        QCOMPARE(::stat(QFile::encodeName(socket).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        QCOMPARE(::stat(QFile::encodeName(PanelInstance::socketFolder()).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));

        if (::getuid() != 0)
            QSKIP("not root: no second user to try with; the modes above keep others out");
        const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
        if (setpriv.isEmpty())
            QSKIP("running as root without setpriv: no second user to try with");
        const Finished run =
            ctl({u"--socket"_s, socket, u"relay"_s, u"R1"_s, u"on"_s},
                {setpriv, u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s});
        QCOMPARE(run.exitCode, 3);
        QVERIFY2(run.err.contains("another user"), run.err.constData());
        QVERIFY(rig.awaitFreshFrame());
        QVERIFY(!rig.board.state().relay(1));
    }
};

TARNWICK_TEST_MAIN(TestCtlEndToEnd)
#include "tst_ctl_e2e.moc"
