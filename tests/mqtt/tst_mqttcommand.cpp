// The command topics and their payloads, read into the command core's requests: what is
// taken, and everything a broker may send that is not.
#include "MqttCommand.h"
#include "TestMain.h"

using ControlRequest::Command;
using ControlRequest::RelayAction;
using ControlRequest::Request;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(RelayAction)

class TestMqttCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandsTaken_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<Command>("command");
        QTest::addColumn<int>("number"); // relay, macro or output
        QTest::addColumn<RelayAction>("action");
        QTest::addColumn<int>("value");
        QTest::newRow("relay 5 on")
            << u"relay/5/set"_s << QByteArray("ON") << Command::Relay << 5 << RelayAction::On << 0;
        QTest::newRow("relay 1 off") << u"relay/1/set"_s << QByteArray("OFF") << Command::Relay << 1
                                     << RelayAction::Off << 0;
        QTest::newRow("relay 64 toggle") << u"relay/64/set"_s << QByteArray("TOGGLE")
                                         << Command::Relay << 64 << RelayAction::Toggle << 0;
        QTest::newRow("macro 1 empty")
            << u"macro/1/run"_s << QByteArray() << Command::Macro << 1 << RelayAction::Toggle << 0;
        QTest::newRow("macro 32 RUN") << u"macro/32/run"_s << QByteArray("RUN") << Command::Macro
                                      << 32 << RelayAction::Toggle << 0;
        QTest::newRow("aout 1 0") << u"aout/1/set"_s << QByteArray("0") << Command::Aout << 1
                                  << RelayAction::Toggle << 0;
        QTest::newRow("aout 2 255") << u"aout/2/set"_s << QByteArray("255") << Command::Aout << 2
                                    << RelayAction::Toggle << 255;
        // A pulse's value is its length in milliseconds.
        QTest::newRow("pulse 2.5 s") << u"relay/5/pulse"_s << QByteArray("2.5") << Command::Relay
                                     << 5 << RelayAction::Pulse << 2500;
        QTest::newRow("pulse 0.1 s") << u"relay/64/pulse"_s << QByteArray("0.1") << Command::Relay
                                     << 64 << RelayAction::Pulse << 100;
        QTest::newRow("pulse an hour") << u"relay/1/pulse"_s << QByteArray("3600") << Command::Relay
                                       << 1 << RelayAction::Pulse << 3600000;
    }
    void commandsTaken()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(Command, command);
        QFETCH(int, number);
        QFETCH(RelayAction, action);
        QFETCH(int, value);
        const auto parsed = MqttCommand::parse(topic, payload);
        const Request *request = std::get_if<Request>(&parsed);
        if (!request)
            QFAIL(qPrintable(std::get<MqttCommand::Failure>(parsed).message));
        QCOMPARE(int(request->command), int(command));
        switch (command) {
        case Command::Relay:
            QCOMPARE(request->relay, number);
            QCOMPARE(int(request->action), int(action));
            QCOMPARE(request->pulseMs, value);
            break;
        case Command::Macro:
            QCOMPARE(request->macro, number);
            break;
        default:
            QCOMPARE(request->output, number);
            QCOMPARE(request->value, value);
        }
    }

    void commandsRefused_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("says");
        QTest::newRow("relay 0") << u"relay/0/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("pulse too short")
            << u"relay/5/pulse"_s << QByteArray("0.05") << u"0.1 to 3600"_s;
        QTest::newRow("pulse too long")
            << u"relay/5/pulse"_s << QByteArray("3601") << u"0.1 to 3600"_s;
        QTest::newRow("pulse with an exponent")
            << u"relay/5/pulse"_s << QByteArray("1e2") << u"0.1 to 3600"_s;
        QTest::newRow("pulse negative")
            << u"relay/5/pulse"_s << QByteArray("-2") << u"0.1 to 3600"_s;
        QTest::newRow("pulse empty") << u"relay/5/pulse"_s << QByteArray() << u"0.1 to 3600"_s;
        QTest::newRow("pulse ON") << u"relay/5/pulse"_s << QByteArray("ON") << u"0.1 to 3600"_s;
        QTest::newRow("pulse of relay 65")
            << u"relay/65/pulse"_s << QByteArray("1") << u"1 to 64"_s;
        QTest::newRow("relay 65") << u"relay/65/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay 99") << u"relay/99/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay 1000") << u"relay/1000/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay 05") << u"relay/05/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay +5") << u"relay/+5/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay R5") << u"relay/R5/set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay empty") << u"relay//set"_s << QByteArray("ON") << u"1 to 64"_s;
        QTest::newRow("relay on") << u"relay/5/set"_s << QByteArray("on") << u"ON, OFF or TOGGLE"_s;
        QTest::newRow("relay ON blank")
            << u"relay/5/set"_s << QByteArray("ON ") << u"ON, OFF or TOGGLE"_s;
        QTest::newRow("relay ON nul")
            << u"relay/5/set"_s << QByteArray("ON\0", 3) << u"ON, OFF or TOGGLE"_s;
        QTest::newRow("relay empty payload")
            << u"relay/5/set"_s << QByteArray() << u"ON, OFF or TOGGLE"_s;
        QTest::newRow("relay too long")
            << u"relay/5/set"_s << QByteArray(17, 'O') << u"longer than 16 bytes"_s;
        QTest::newRow("macro 0") << u"macro/0/run"_s << QByteArray() << u"1 to 32"_s;
        QTest::newRow("macro 33") << u"macro/33/run"_s << QByteArray() << u"1 to 32"_s;
        QTest::newRow("macro GO") << u"macro/3/run"_s << QByteArray("GO") << u"empty or RUN"_s;
        QTest::newRow("aout 0") << u"aout/0/set"_s << QByteArray("1") << u"1 to 2"_s;
        QTest::newRow("aout 3") << u"aout/3/set"_s << QByteArray("1") << u"1 to 2"_s;
        QTest::newRow("aout 256") << u"aout/1/set"_s << QByteArray("256") << u"0 to 255"_s;
        QTest::newRow("aout -1") << u"aout/1/set"_s << QByteArray("-1") << u"0 to 255"_s;
        QTest::newRow("aout 007") << u"aout/1/set"_s << QByteArray("007") << u"0 to 255"_s;
        QTest::newRow("aout 1.5") << u"aout/1/set"_s << QByteArray("1.5") << u"0 to 255"_s;
        QTest::newRow("aout empty") << u"aout/1/set"_s << QByteArray() << u"0 to 255"_s;
        QTest::newRow("relay state topic") << u"relay/5"_s << QByteArray("ON") << u"no such"_s;
        QTest::newRow("relay run") << u"relay/5/run"_s << QByteArray("ON") << u"no such"_s;
        QTest::newRow("deeper") << u"relay/5/set/x"_s << QByteArray("ON") << u"no such"_s;
        QTest::newRow("input set") << u"input/1/set"_s << QByteArray("ON") << u"no such"_s;
    }
    void commandsRefused()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QString, says);
        const auto parsed = MqttCommand::parse(topic, payload);
        const auto *failure = std::get_if<MqttCommand::Failure>(&parsed);
        QVERIFY(failure);
        QVERIFY2(failure->message.contains(says), qPrintable(failure->message));
    }

    // What the bridge subscribes to and what the parser takes are the same topics.
    void everySubscriptionIsACommandTopic()
    {
        const QStringList patterns = MqttCommand::subscriptions();
        QCOMPARE(patterns.size(), 4);
        for (const QString &pattern : patterns) {
            const auto parsed = MqttCommand::parse(QString(pattern).replace(u'+', u'1'), "x");
            const auto *failure = std::get_if<MqttCommand::Failure>(&parsed);
            QVERIFY(failure);
            QVERIFY2(!failure->message.contains(u"no such"_s), qPrintable(pattern));
        }
    }
};

TARNWICK_TEST_MAIN(TestMqttCommand)
#include "tst_mqttcommand.moc"
