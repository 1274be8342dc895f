// The bridge end to end: the panel in this process on the simulated board over a real
// pseudo-terminal, a real mosquitto on a free loopback port, and a plain MQTT client that
// watches and commands as Home Assistant or a script would.
#include "AGauge.h"
#include "BridgeRig.h"
#include "ColorButton.h"
#include "LampLabel.h"
#include "MqttConnection.h"
#include "SetupDialogs.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <random>
using namespace MqttTest;
using namespace Qt::StringLiterals;

namespace {

const QByteArray r5Frame = QByteArray::fromHex("244130100D");

bool shownOn(ControlTest::Rig &panel, int relay)
{
    return panel.window->w.cmdRelay[(relay - 1) / 8][(relay - 1) % 8]->backColor() ==
           panel.window->onColor();
}

// The "error" messages the probe has seen for a command topic, which they name cut short.
QList<QJsonObject> errorsFor(const MqttProbe &probe, const QString &below)
{
    const QString named = below.left(80);
    QList<QJsonObject> found;
    for (const MqttProbe::Message &message : probe.messages())
        if (message.topic == topic(u"error"_s)) {
            const QJsonObject error = QJsonDocument::fromJson(message.payload).object();
            if (error[u"topic"_s].toString() == named)
                found << error;
        }
    return found;
}

QByteArray garbage(int size)
{
    std::mt19937 random(7);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random() & 0xff);
    return bytes;
}

} // namespace

class TestMqttBridge : public QObject
{
    Q_OBJECT

    ControlTest::RuntimeFolder m_runtime;

private Q_SLOTS:
    void retainedTopicsMatchTheBoard()
    {
        BridgeRig rig;
        rig.panel.board.setRelay(3, true);
        rig.panel.board.setRelay(40, true);
        rig.panel.board.setInputs(0x05);
        rig.panel.board.setMeter(0, 255);
        rig.panel.board.setMeter(5, 51);
        rig.panel.board.setTemperature(212);
        rig.panel.board.setFrequency("01234");
        QVERIFY2(rig.start(), qPrintable(rig.broker.errorString()));
        QVERIFY(rig.probe->waitFor(topic(u"temperature"_s), "212"));
        rig.panel.window->poll().Timer1->stop(); // what the probe sees is the last frame

        // A client that comes later gets every value from the broker's retained store.
        MqttProbe late(rig.broker.port(), topic(u"#"_s));
        QVERIFY(QTest::qWaitFor([&] { return late.count(topic(u"frequency"_s)) == 1; }, patience));
        const BoardState &board = rig.panel.board.state();
        QMap<QString, QByteArray> expected{
            {u"status"_s, "online"},   {u"link"_s, "live"},   {u"meter/1"_s, "4"},
            {u"meter/2"_s, "0"},       {u"meter/3"_s, "0"},   {u"meter/4"_s, "0"},
            {u"meter/5"_s, "0"},       {u"meter/6"_s, "0.8"}, {u"temperature"_s, "212"},
            {u"frequency"_s, "01234"}, {u"aout/1"_s, "1"},    {u"aout/2"_s, "1"},
        };
        for (int relay = 1; relay <= 64; ++relay)
            expected.insert(u"relay/%1"_s.arg(relay), board.relay(relay) ? "ON" : "OFF");
        for (int k = 1; k <= 8; ++k) {
            expected.insert(u"input/%1"_s.arg(k), board.inputs() & (1 << (k - 1)) ? "ON" : "OFF");
            expected.insert(u"name/input/%1"_s.arg(k),
                            rig.panel.window->w.LblStatus[k - 1]->text().toUtf8());
        }
        for (int m = 1; m <= 6; ++m)
            expected.insert(u"name/meter/%1"_s.arg(m),
                            rig.panel.window->w.AGauge1[m - 1]->caption().toUtf8());
        for (auto it = expected.begin(); it != expected.end(); ++it)
            QCOMPARE(late.latest(topic(it.key())), std::optional<QByteArray>(it.value()));
        const QList<MqttProbe::Message> retained = late.messages();
        for (const MqttProbe::Message &message : retained) {
            QVERIFY2(message.retained, qPrintable(message.topic));
            QVERIFY2(expected.contains(message.topic.mid(qsizetype(strlen(base)) + 1)),
                     qPrintable(message.topic));
        }
        QCOMPARE(retained.size(), expected.size());
    }

    void aRelayChangeReachesItsTopicWithinTwoPolls()
    {
        BridgeRig rig;
        QVERIFY2(rig.start(), qPrintable(rig.broker.errorString()));
        QSignalSpy published(rig.bridge.get(), &MqttBridge::published);
        QSignalSpy frames(&rig.panel.window->poll(), &StatusPoll::frameShown);
        rig.panel.board.setRelay(12, true);
        QVERIFY(rig.probe->waitFor(topic(u"relay/12"_s), "ON"));
        int framesBefore = -1;
        for (const QList<QVariant> &arguments : published)
            if (arguments.at(0).toString() == u"relay/12"_s)
                framesBefore = int(frames.count());
        // The frame already asked for when the board changed may still show it off; the next
        // one shows it on and publishes it.
        QVERIFY2(framesBefore >= 1 && framesBefore <= 2, qPrintable(QString::number(framesBefore)));
    }

    void aFrameThatChangesNothingPublishesNothing()
    {
        BridgeRig rig;
        QVERIFY2(rig.start(), qPrintable(rig.broker.errorString()));
        QVERIFY(rig.panel.awaitFreshFrame());
        QSignalSpy published(rig.bridge.get(), &MqttBridge::published);
        QVERIFY(rig.panel.awaitFreshFrame());
        QVERIFY(rig.panel.awaitFreshFrame());
        QCOMPARE(published.count(), 0);
        rig.panel.board.setTemperature(99);
        QVERIFY(published.wait(patience));
        QCOMPARE(published.count(), 1);
        QCOMPARE(published.at(0).at(0).toString(), u"temperature"_s);
        QCOMPARE(published.at(0).at(1).toByteArray(), "99");
    }

    void relaySetOnSendsTheRelaysFrameOnlyWithCommandsOn_data()
    {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<bool>("sent");
        QTest::newRow("commands=on") << QByteArray("commands=on\n") << true;
        QTest::newRow("commands=off") << QByteArray("commands=off\n") << false;
        QTest::newRow("commands not set") << QByteArray() << false;
    }
    void relaySetOnSendsTheRelaysFrameOnlyWithCommandsOn()
    {
        QFETCH(QByteArray, setting);
        QFETCH(bool, sent);
        BridgeRig rig;
        QVERIFY2(rig.start(setting), qPrintable(rig.broker.errorString()));
        QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);
        QSignalSpy rejected(rig.bridge.get(), &MqttBridge::commandRejected);
        QVERIFY(rig.probe->publish(topic(u"relay/5/set"_s), "ON"));
        if (sent) {
            QVERIFY(rig.probe->waitFor(topic(u"relay/5"_s), "ON"));
            QCOMPARE(commandFrames(frames), QList<QByteArray>{r5Frame});
            QCOMPARE(rejected.count(), 0);
        } else {
            QVERIFY(QTest::qWaitFor(
                [&] { return !errorsFor(*rig.probe, u"relay/5/set"_s).isEmpty(); }, patience));
            QVERIFY(rig.panel.awaitFreshFrame());
            QCOMPARE(commandFrames(frames), QList<QByteArray>());
            QVERIFY(errorsFor(*rig.probe, u"relay/5/set"_s)
                        .first()[u"message"_s]
                        .toString()
                        .contains(u"commands are off"_s));
            QVERIFY(!rig.panel.board.state().relay(5));
        }
    }

    void onOrOffTwiceLeavesTheRelayAsAsked_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("ON twice") << QByteArray("ON");
        QTest::newRow("OFF twice, from on") << QByteArray("OFF");
    }
    void onOrOffTwiceLeavesTheRelayAsAsked()
    {
        QFETCH(QByteArray, payload);
        const bool on = payload == "ON";
        BridgeRig rig;
        rig.panel.board.setRelay(12, !on);
        QVERIFY2(rig.start("commands=on\n"), qPrintable(rig.broker.errorString()));
        QVERIFY(rig.probe->waitFor(topic(u"relay/12"_s), on ? "OFF" : "ON"));
        QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);
        // As Home Assistant repeats a command: the second comes before a frame shows the first.
        QVERIFY(rig.probe->publish(topic(u"relay/12/set"_s), payload));
        QVERIFY(rig.probe->publish(topic(u"relay/12/set"_s), payload));
        QVERIFY(rig.probe->waitFor(topic(u"relay/12"_s), payload));
        QVERIFY(rig.panel.awaitFreshFrame());
        QVERIFY(rig.panel.awaitFreshFrame());
        QCOMPARE(rig.panel.board.state().relay(12), on);
        QCOMPARE(commandFrames(frames), QList<QByteArray>{QByteArray::fromHex("244230080D")});
    }

    void badCommandsAreDroppedAndNothingIsSent_data()
    {
        QTest::addColumn<QString>("below");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("1 MiB") << u"relay/5/set"_s << QByteArray(1 << 20, 'O');
        QTest::newRow("binary garbage") << u"relay/5/set"_s << garbage(300);
        QTest::newRow("short garbage") << u"relay/5/set"_s << QByteArray("\x00\xffON", 4);
        QTest::newRow("relay 99") << u"relay/99/set"_s << QByteArray("ON");
        QTest::newRow("long topic")
            << u"relay/%1/set"_s.arg(QString(5000, u'9')) << QByteArray("ON");
        QTest::newRow("relay 0") << u"relay/0/set"_s << QByteArray("ON");
        QTest::newRow("relay 05") << u"relay/05/set"_s << QByteArray("ON");
        QTest::newRow("lower case") << u"relay/5/set"_s << QByteArray("on");
        QTest::newRow("ON with a line end") << u"relay/5/set"_s << QByteArray("ON\n");
        QTest::newRow("macro 33") << u"macro/33/run"_s << QByteArray();
        QTest::newRow("macro with a payload") << u"macro/1/run"_s << QByteArray("GO");
        QTest::newRow("aout 256") << u"aout/1/set"_s << QByteArray("256");
        QTest::newRow("aout -1") << u"aout/1/set"_s << QByteArray("-1");
        QTest::newRow("aout 3") << u"aout/3/set"_s << QByteArray("5");
        QTest::newRow("aout 1 MiB") << u"aout/1/set"_s << QByteArray(1 << 20, '1');
        QTest::newRow("aout text") << u"aout/2/set"_s << QByteArray("12x");
    }
    void badCommandsAreDroppedAndNothingIsSent()
    {
        QFETCH(QString, below);
        QFETCH(QByteArray, payload);
        BridgeRig rig;
        QVERIFY2(rig.start("commands=on\n"), qPrintable(rig.broker.errorString()));
        QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);
        QVERIFY(rig.probe->publish(topic(below), payload));
        QVERIFY(QTest::qWaitFor([&] { return !errorsFor(*rig.probe, below).isEmpty(); }, patience));
        QVERIFY(rig.panel.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QVERIFY(!rig.panel.board.state().relay(5));
        QCOMPARE(rig.panel.window->w.VScroll1->value(), 1);
        QCOMPARE(rig.panel.window->w.VScroll2->value(), 1);
        QCOMPARE(errorsFor(*rig.probe, below).size(), 1);
        // Errors are news, not state: a client that comes later is not told.
        MqttProbe late(rig.broker.port(), topic(u"error"_s));
        QVERIFY(QTest::qWaitFor([&] { return late.isSubscribed(); }, patience));
        QVERIFY(rig.panel.awaitFreshFrame());
        QCOMPARE(late.messages().size(), 0);
        // The bridge is still there for the next command.
        QVERIFY(rig.probe->publish(topic(u"relay/5/set"_s), "ON"));
        QVERIFY(rig.probe->waitFor(topic(u"relay/5"_s), "ON"));
    }

    void aRetainedCommandIsNeverRun()
    {
        BridgeRig rig;
        QVERIFY2(rig.start("commands=on\n"), qPrintable(rig.broker.errorString()));
        QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);
        // Left on the broker while the panel was away, as a careless client does.
        rig.bridge.reset();
        QVERIFY(rig.probe->publish(topic(u"relay/6/set"_s), "TOGGLE", true));
        for (int connection = 1; connection <= 2; ++connection) {
            QVERIFY(rig.startBridge());
            QVERIFY(QTest::qWaitFor(
                [&] { return errorsFor(*rig.probe, u"relay/6/set"_s).size() == connection; },
                patience));
            rig.bridge.reset();
        }
        QVERIFY(rig.panel.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QVERIFY(!rig.panel.board.state().relay(6));
        QVERIFY(errorsFor(*rig.probe, u"relay/6/set"_s)
                    .first()
                    .value(u"message"_s)
                    .toString()
                    .contains(u"retained"_s));
    }

    void commandsKeepTheSocketsRules()
    {
        BridgeRig rig;
        FakeColorPicker colors;
        SetupDialogs dialogs({rig.panel.store, colors});
        const auto dialogFirst = qScopeGuard([&] { delete dialogs.last.data(); });
        QVERIFY2(rig.start("commands=on\n", &dialogs), qPrintable(rig.broker.errorString()));
        QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);

        rig.panel.window->w.chkWDT->setChecked(true);
        QVERIFY(rig.probe->publish(topic(u"relay/16/set"_s), "TOGGLE"));
        QVERIFY(QTest::qWaitFor([&] { return !errorsFor(*rig.probe, u"relay/16/set"_s).isEmpty(); },
                                patience));
        QVERIFY(errorsFor(*rig.probe, u"relay/16/set"_s)
                    .first()[u"message"_s]
                    .toString()
                    .contains(u"WDT"_s));
        rig.panel.window->w.chkWDT->setChecked(false);

        rig.panel.window->mnuSetup_Click();
        QVERIFY(dialogs.last);
        for (const auto &[command, payload] : {std::pair{u"relay/5/set"_s, QByteArray("TOGGLE")},
                                               std::pair{u"macro/1/run"_s, QByteArray()},
                                               std::pair{u"aout/2/set"_s, QByteArray("50")}}) {
            const QString below = command; // a lambda may not capture a structured binding
            QVERIFY(rig.probe->publish(topic(below), payload));
            QVERIFY(
                QTest::qWaitFor([&] { return !errorsFor(*rig.probe, below).isEmpty(); }, patience));
            QVERIFY(
                errorsFor(*rig.probe, below).first()[u"message"_s].toString().contains(u"setup"_s));
        }
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QCOMPARE(rig.panel.window->w.VScroll2->value(), 1);
    }

    // Names change in the setup dialog, with the board's frames the same as before.
    void aNameGivenInSetupIsPublishedWhenItCloses()
    {
        BridgeRig rig;
        FakeColorPicker colors;
        SetupDialogs dialogs({rig.panel.store, colors});
        QVERIFY2(rig.start({}, &dialogs), qPrintable(rig.broker.errorString()));
        rig.panel.window->mnuSetup_Click();
        QVERIFY(dialogs.last);
        auto *name = dialogs.last->findChild<QLineEdit *>(u"DigStatusName_0"_s);
        QVERIFY(name);
        name->setText(u"Pump"_s);
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.panel.window->w.LblStatus[0]->text() == u"Pump"_s; }, patience));
        dialogs.last->close();
        QVERIFY(
            QTest::qWaitFor([&] { return !dialogs.last || dialogs.last->isHidden(); }, patience));
        QVERIFY(rig.probe->waitFor(topic(u"name/input/1"_s), "Pump"));
        QCOMPARE(rig.probe->latest(topic(u"name/input/2"_s)), std::optional<QByteArray>("Input 2"));
    }

    void macroAndAnalogOutputGoThroughTheWindowsPaths()
    {
        BridgeRig rig;
        rig.panel.board.setRelay(10, true); // so the macro switches only R1
        rig.panel.preset(Keys::OnString, u"00,09,"_s, 2);
        QVERIFY2(rig.start("commands=on\n"), qPrintable(rig.broker.errorString()));
        QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);
        QVERIFY(rig.probe->publish(topic(u"macro/3/run"_s), "RUN"));
        QVERIFY(rig.probe->waitFor(topic(u"relay/1"_s), "ON"));
        QVERIFY(rig.probe->publish(topic(u"aout/1/set"_s), "13"));
        QVERIFY(rig.probe->waitFor(topic(u"aout/1"_s), "13"));
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.panel.board.state().analogOutput(1) == std::optional<quint8>(13); },
            patience));
        QCOMPARE(commandFrames(frames), (QList<QByteArray>{QByteArray::fromHex("244130010D"),
                                                           QByteArray::fromHex("2449490D0D")}));
        QCOMPARE(rig.panel.store.read(SettingsKeys::application, SettingsKeys::section,
                                      SettingsKeys::keyName(Keys::Aout1)),
                 u"13"_s);
    }

    // The broker away for about five seconds: nothing changes in the window's cadence, and
    // once it is back the latest value of what changed meanwhile is there.
    void aBrokerRestartLosesNoChange()
    {
        BridgeRig rig;
        QVERIFY2(rig.start(), qPrintable(rig.broker.errorString()));
        StatusPoll &poll = rig.panel.window->poll();
        QElapsedTimer clock;
        clock.start();
        qint64 lastFrame = clock.elapsed(), longestGap = 0;
        QObject::connect(&poll, &StatusPoll::frameShown, rig.bridge.get(), [&] {
            longestGap = std::max(longestGap, clock.elapsed() - lastFrame);
            lastFrame = clock.elapsed();
        });

        rig.broker.stop();
        QVERIFY(QTest::qWaitFor([&] { return !rig.bridge->isConnected(); }, patience));
        rig.panel.board.setRelay(7, true);
        rig.panel.board.setTemperature(100);
        QSignalSpy frames(&poll, &StatusPoll::frameShown);
        QVERIFY(QTest::qWaitFor([&] { return frames.count() >= 12; }, patience));
        rig.panel.board.setTemperature(101);
        QVERIFY(QTest::qWaitFor([&] { return frames.count() >= 25; }, 2 * patience));
        QVERIFY(shownOn(rig.panel, 7));
        rig.probe->clear();

        QVERIFY(rig.broker.start());
        QVERIFY(QTest::qWaitFor([&] { return rig.bridge->isConnected(); }, 3 * patience));
        QVERIFY(rig.probe->waitFor(topic(u"relay/7"_s), "ON", 3 * patience));
        QVERIFY(rig.probe->waitFor(topic(u"temperature"_s), "101"));
        QVERIFY(rig.probe->waitFor(topic(u"status"_s), "online"));
        QVERIFY(rig.panel.awaitFreshFrame());
        // Only the latest value went out, not the ones between.
        QCOMPARE(rig.probe->count(topic(u"temperature"_s)), 1);
        // The poll kept its interval (200 ms) all along: a wait on the broker in the window's
        // thread would show here as a gap of seconds.
        QVERIFY2(longestGap < 10 * poll.pollInterval(), qPrintable(QString::number(longestGap)));
    }

    void aBrokerDownAtStartIsConnectedWhenItComes()
    {
        BridgeRig rig;
        QVERIFY(rig.broker.start()); // the broker's port is chosen at its first start
        rig.broker.stop();
        QVERIFY(rig.writeConfig());
        QVERIFY(rig.panel.start());
        rig.bridge = std::make_unique<MqttBridge>(rig.panel.window->core(), *rig.panel.core,
                                                  rig.configPath());
        rig.bridge->start();
        QVERIFY(rig.panel.awaitFreshFrame());
        QVERIFY(!rig.bridge->isConnected());
        QCOMPARE(rig.panel.messages.texts, QStringList());
        QVERIFY(rig.broker.start());
        rig.probe = std::make_unique<MqttProbe>(rig.broker.port(), topic(u"#"_s));
        QVERIFY(QTest::qWaitFor([&] { return rig.bridge->isConnected(); }, 3 * patience));
        QVERIFY(rig.probe->waitFor(topic(u"link"_s), "live"));
    }

    void theConfigurationIsReadAgainWhenItChanges()
    {
        BridgeRig rig;
        QVERIFY(rig.broker.start());
        rig.probe = std::make_unique<MqttProbe>(rig.broker.port(), u"#"_s);
        QVERIFY(QTest::qWaitFor([&] { return rig.probe->isSubscribed(); }, patience));
        QVERIFY(rig.panel.start());
        // No file: off.
        rig.bridge = std::make_unique<MqttBridge>(rig.panel.window->core(), *rig.panel.core,
                                                  rig.configPath());
        rig.bridge->start();
        QVERIFY(!rig.bridge->config().enabled());

        QVERIFY(rig.writeConfig());
        QVERIFY(QTest::qWaitFor([&] { return rig.bridge->isConnected(); }, patience));
        QVERIFY(rig.probe->waitFor(topic(u"status"_s), "online"));
        QVERIFY(rig.probe->waitFor(topic(u"relay/1"_s), "OFF"));

        // A new base topic: the old one is told the panel went away, the new one gets it all.
        QFile file(rig.configPath());
        QVERIFY(file.open(QIODevice::Append));
        QVERIFY(file.write("\n") == 1);
        file.close();
        QByteArray text = "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(rig.broker.port()) +
                          "\nbase_topic=test/moved\n";
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(text), text.size());
        file.close();
        QVERIFY(rig.probe->waitFor(topic(u"status"_s), "offline"));
        QVERIFY(rig.probe->waitFor(u"test/moved/status"_s, "online"));
        QVERIFY(rig.probe->waitFor(u"test/moved/relay/64"_s, "OFF"));
        QCOMPARE(rig.bridge->baseTopic(), u"test/moved"_s);

        // The host taken out: off again, and said so on the way out.
        text = "[mqtt]\nport=1883\n";
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(text), text.size());
        file.close();
        QVERIFY(rig.probe->waitFor(u"test/moved/status"_s, "offline"));
        QVERIFY(QTest::qWaitFor([&] { return !rig.bridge->config().enabled(); }, patience));
        QVERIFY(rig.panel.awaitFreshFrame());
    }

    void discoveryAnnouncesTheBoardToHomeAssistant_data()
    {
        QTest::addColumn<QByteArray>("setting");
        QTest::addColumn<int>("announced");
        QTest::newRow("discovery=on") << QByteArray("discovery=on\ncommands=on\n") << 115;
        QTest::newRow("discovery off") << QByteArray("commands=on\n") << 0;
    }
    void discoveryAnnouncesTheBoardToHomeAssistant()
    {
        QFETCH(QByteArray, setting);
        QFETCH(int, announced);
        BridgeRig rig;
        QVERIFY2(rig.start(setting), qPrintable(rig.broker.errorString()));
        MqttProbe homeAssistant(rig.broker.port(), u"homeassistant/#"_s);
        QVERIFY(QTest::qWaitFor([&] { return homeAssistant.isSubscribed(); }, patience));
        // Retained, so a Home Assistant that starts later finds them: once the probe has the
        // last one, it has them all.
        const QString relay5 = u"homeassistant/switch/test_panel/relay5/config"_s;
        if (announced) {
            QVERIFY(QTest::qWaitFor([&] { return homeAssistant.messages().size() == announced; },
                                    patience));
            const QJsonObject config =
                QJsonDocument::fromJson(homeAssistant.latest(relay5).value_or(QByteArray()))
                    .object();
            QCOMPARE(config[u"command_topic"_s].toString(), topic(u"relay/5/set"_s));
            // What Home Assistant sends for "on" switches the relay.
            QSignalSpy frames(&rig.panel.board, &PtyBoard::frameReceived);
            QVERIFY(rig.probe->publish(config[u"command_topic"_s].toString(),
                                       config[u"payload_on"_s].toString().toUtf8()));
            QVERIFY(rig.probe->waitFor(config[u"state_topic"_s].toString(), "ON"));
            QCOMPARE(commandFrames(frames), QList<QByteArray>{r5Frame});
        } else {
            QVERIFY(rig.panel.awaitFreshFrame());
            QCOMPARE(homeAssistant.messages().size(), 0);
        }
    }

    void discoveryTakesBackWhatItNoLongerAnnounces()
    {
        BridgeRig rig;
        QVERIFY(rig.broker.start());
        // What an earlier run announced and this one does not: still retained on the broker.
        const QString gone = u"homeassistant/sensor/test_panel/gone/config"_s;
        MqttProbe homeAssistant(rig.broker.port(), u"homeassistant/#"_s);
        QVERIFY(QTest::qWaitFor([&] { return homeAssistant.isSubscribed(); }, patience));
        QVERIFY(homeAssistant.publish(gone, "{}", true));
        QVERIFY(homeAssistant.waitFor(gone, "{}"));
        QFile list(rig.folder.filePath(u"mqtt-discovery.list"_s));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(gone.toUtf8() + "\nnot/ours/at/all\n");
        list.close();

        const auto rewrite = [&](const QByteArray &lines) {
            QFile file(rig.configPath());
            const QByteArray text =
                "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(rig.broker.port()) + "\n" +
                lines;
            return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   file.write(text) == text.size();
        };
        const auto removed = [&](const QString &config) {
            return homeAssistant.waitFor(config, QByteArray());
        };
        const auto announced = [&](const QString &config) {
            return QTest::qWaitFor(
                [&] { return !homeAssistant.latest(config).value_or(QByteArray()).isEmpty(); },
                patience);
        };
        const QString relaySwitch = u"homeassistant/switch/test_panel/relay5/config"_s;
        const QString relaySensor = u"homeassistant/binary_sensor/test_panel/relay5/config"_s;
        const QString macroButton = u"homeassistant/button/test_panel/macro1/config"_s;

        QVERIFY(rewrite("base_topic=test/panel\ndiscovery=on\ncommands=on\n"));
        QVERIFY(rig.panel.start());
        QVERIFY(rig.startBridge());
        QVERIFY(announced(relaySwitch));
        QVERIFY(announced(macroButton));
        QVERIFY(removed(gone)); // at the start, for what the last run published

        // Commands off: the relays become sensors, the buttons go.
        QVERIFY(rewrite("base_topic=test/panel\ndiscovery=on\n"));
        QVERIFY(announced(relaySensor));
        QVERIFY(removed(relaySwitch));
        QVERIFY(removed(macroButton));

        // A name given to an input follows into its entity.
        rig.panel.window->core().setName(PanelNames::Kind::Input, 2, u"Gate"_s);
        const QString input3 = u"homeassistant/binary_sensor/test_panel/input3/config"_s;
        QVERIFY(QTest::qWaitFor(
            [&] {
                return QJsonDocument::fromJson(homeAssistant.latest(input3).value_or(QByteArray()))
                           .object()[u"name"_s]
                           .toString() == u"Gate"_s;
            },
            patience));

        // Another base topic: the old device goes, the new one comes.
        QVERIFY(rewrite("base_topic=test/moved\ndiscovery=on\n"));
        QVERIFY(announced(u"homeassistant/binary_sensor/test_moved/relay5/config"_s));
        QVERIFY(removed(relaySensor));

        // Discovery off: nothing of ours is left.
        QVERIFY(rewrite("base_topic=test/moved\n"));
        QVERIFY(removed(u"homeassistant/binary_sensor/test_moved/relay5/config"_s));
        QVERIFY(rig.panel.awaitFreshFrame());
        for (const MqttProbe::Message &message : homeAssistant.messages())
            QVERIFY2(homeAssistant.latest(message.topic) == QByteArray(),
                     qPrintable(message.topic));
        QVERIFY(list.open(QIODevice::ReadOnly));
        QCOMPARE(list.readAll(), QByteArray());
    }

    void aSilentBoardMakesItsValuesUnavailable()
    {
        BridgeRig rig;
        QVERIFY2(rig.start("discovery=on\n"), qPrintable(rig.broker.errorString()));
        MqttProbe homeAssistant(rig.broker.port(), u"homeassistant/#"_s);
        const QString config = u"homeassistant/binary_sensor/test_panel/relay5/config"_s;
        QVERIFY(
            QTest::qWaitFor([&] { return homeAssistant.latest(config).has_value(); }, patience));
        const QJsonArray availability = QJsonDocument::fromJson(*homeAssistant.latest(config))
                                            .object()[u"availability"_s]
                                            .toArray();
        const QJsonObject board = availability.at(1).toObject();
        QCOMPARE(board[u"topic"_s].toString(), topic(u"link"_s));
        QCOMPARE(board[u"value_template"_s].toString(),
                 u"{{ 'online' if value == 'live' else 'offline' }}"_s);

        // What that entry reads while the board is silent, and when it answers again.
        rig.panel.board.setSilent(true);
        QVERIFY(rig.probe->waitFor(topic(u"link"_s), "no-reply"));
        rig.panel.board.setSilent(false);
        QVERIFY(rig.probe->waitFor(topic(u"link"_s), "live"));
    }

    void theDefaultBaseTopicNamesTheHostAndThePort()
    {
        BridgeRig rig;
        QVERIFY(rig.broker.start());
        QFile file(rig.configPath());
        const QByteArray text =
            "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(rig.broker.port()) + "\n";
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
        file.close();
        QVERIFY(rig.panel.start());
        QVERIFY(rig.startBridge());
        QCOMPARE(rig.bridge->baseTopic(),
                 defaultBaseTopic(QSysInfo::machineHostName(), ControlTest::boardPort));
        MqttProbe late(rig.broker.port(), rig.bridge->baseTopic() + u"/status"_s);
        QVERIFY(late.waitFor(rig.bridge->baseTopic() + u"/status"_s, "online"));
    }
};

TARNWICK_TEST_MAIN(TestMqttBridge)
#include "tst_mqttbridge.moc"
