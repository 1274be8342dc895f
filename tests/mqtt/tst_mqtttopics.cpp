// What goes out under the base topic: the values as the topics carry them, only what
// changed, and Home Assistant's discovery pointing at topics that are really published.
#include "MqttCommand.h"
#include "MqttDiscovery.h"
#include "MqttTopics.h"
#include "PanelStatus.h"
#include "StatusFrame.h"
#include "TestMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

// A frame as the board sends it, commas where no field is; only temperature and frequency
// are read from it, the rest comes from what the window shows.
QByteArray boardFrame()
{
    QByteArray frame(StatusFrame::length, ',');
    frame.replace(StatusFrame::temperature.position - 1, 3, "212");
    frame.replace(StatusFrame::frequency.position - 1, 5, "01234");
    frame[StatusFrame::length - 1] = '\r';
    return frame;
}

PanelStatus shownPanel()
{
    PanelStatus panel;
    panel.link = u"live"_s;
    panel.relays[0] = panel.relays[63] = true;
    panel.inputs[2] = true;
    panel.inputNames[2] = u"Door"_s;
    panel.relayNames[4] = u"Pump"_s;
    panel.meters = {4.0, 0.8, 0, 1.0 / 3, 2.5, 0.02};
    panel.meterCaptions[0] = u"Volts"_s;
    panel.temperature = u"100C"_s; // shown in Celsius; the topic stays Fahrenheit
    panel.frequency = u"01234"_s;
    panel.aout = {13, 255};
    panel.frame = boardFrame();
    return panel;
}

QMap<QString, QByteArray> asMap(const QList<TopicValue> &values)
{
    QMap<QString, QByteArray> map;
    for (const TopicValue &value : values)
        map.insert(value.topic, value.payload);
    return map;
}

} // namespace

class TestMqttTopics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decimalsArePlain_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("whole") << 4.0 << QByteArray("4");
        QTest::newRow("zero") << 0.0 << QByteArray("0");
        QTest::newRow("negative zero") << -0.0 << QByteArray("0");
        QTest::newRow("tenths") << 0.8 << QByteArray("0.8");
        QTest::newRow("a third") << 1.0 / 3 << QByteArray("0.333333");
        QTest::newRow("tiny: no exponent") << 0.00002 << QByteArray("0.00002");
        QTest::newRow("negative") << -2.5 << QByteArray("-2.5");
        QTest::newRow("large") << 1234567.0 << QByteArray("1234567");
    }
    void decimalsArePlain()
    {
        QFETCH(double, value);
        QFETCH(QByteArray, text);
        QCOMPARE(MqttTopics::decimal(value), text);
    }

    void everyValueHasItsTopic()
    {
        const QMap<QString, QByteArray> topics = asMap(MqttTopics::panelTopics(shownPanel()));
        QCOMPARE(topics.size(), 1 + 8 + 6 + 64 + 8 + 6 + 1 + 1 + 2);
        QCOMPARE(topics[u"link"_s], "live");
        QCOMPARE(topics[u"relay/1"_s], "ON");
        QCOMPARE(topics[u"relay/2"_s], "OFF");
        QCOMPARE(topics[u"relay/64"_s], "ON");
        QCOMPARE(topics[u"input/3"_s], "ON");
        QCOMPARE(topics[u"input/1"_s], "OFF");
        QCOMPARE(topics[u"meter/1"_s], "4");
        QCOMPARE(topics[u"meter/2"_s], "0.8");
        QCOMPARE(topics[u"meter/6"_s], "0.02");
        QCOMPARE(topics[u"temperature"_s], "212");
        QCOMPARE(topics[u"frequency"_s], "01234");
        QCOMPARE(topics[u"aout/1"_s], "13");
        QCOMPARE(topics[u"aout/2"_s], "255");
        QCOMPARE(topics[u"name/input/3"_s], "Door");
        QCOMPARE(topics[u"name/meter/1"_s], "Volts");
        QVERIFY(topics.contains(u"name/meter/6"_s));
    }

    void beforeTheFirstFrameOnlyTheLinkAndTheNames()
    {
        PanelStatus panel = shownPanel();
        panel.frame.clear();
        panel.link = u"never"_s;
        const QMap<QString, QByteArray> topics = asMap(MqttTopics::panelTopics(panel));
        QCOMPARE(topics.size(), 1 + 8 + 6);
        QCOMPARE(topics[u"link"_s], "never");
        QVERIFY(!topics.contains(u"relay/1"_s));
    }

    void aTemperatureFieldThatIsNoNumberIsLeftOut()
    {
        PanelStatus panel = shownPanel();
        panel.frame.replace(StatusFrame::temperature.position - 1, 3, "2x2");
        QVERIFY(!asMap(MqttTopics::panelTopics(panel)).contains(u"temperature"_s));
    }

    void onlyWhatChangedIsPublishedAgain()
    {
        PublishedTopics published;
        PanelStatus panel = shownPanel();
        QCOMPARE(published.changed(MqttTopics::panelTopics(panel)).size(), 97);
        QCOMPARE(published.changed(MqttTopics::panelTopics(panel)).size(), 0);
        panel.relays[4] = true;
        panel.meters[1] = 0.9;
        QCOMPARE(published.changed(MqttTopics::panelTopics(panel)),
                 (QList<TopicValue>{{u"relay/5"_s, "ON"}, {u"meter/2"_s, "0.9"}}));
        // A name cleared to nothing is a change too.
        panel.inputNames[2].clear();
        QCOMPARE(published.changed(MqttTopics::panelTopics(panel)),
                 (QList<TopicValue>{{u"name/input/3"_s, ""}}));
        published.forget();
        QCOMPARE(published.changed(MqttTopics::panelTopics(panel)).size(), 97);
    }

    void discoveryPointsAtPublishedTopics_data()
    {
        QTest::addColumn<bool>("commands");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("node");
        QTest::newRow("commands on") << true << u"plant/board7"_s << u"plant_board7"_s;
        QTest::newRow("commands off") << false << u"plant/board7"_s << u"plant_board7"_s;
        QTest::newRow("blanks and dots") << true << u"Site 1/bench.a"_s << u"Site_1_bench_a"_s;
        QTest::newRow("beyond ASCII") << false << u"Halle/Säge+1"_s << u"Halle_S_ge_1"_s;
    }
    void discoveryPointsAtPublishedTopics()
    {
        QFETCH(bool, commands);
        QFETCH(QString, base);
        QFETCH(QString, node);
        const PanelStatus panel = shownPanel();
        const QMap<QString, QByteArray> topics = asMap(MqttTopics::panelTopics(panel));
        const QList<DiscoveryMessage> messages = MqttDiscovery::messages(base, panel, commands);
        // Relays, inputs, meters, temperature, frequency, link, outputs; a button per macro.
        QCOMPARE(messages.size(), 64 + 8 + 6 + 3 + 2 + (commands ? 32 : 0));
        const QRegularExpression allowed(u"^[a-zA-Z0-9_-]+$"_s);
        QSet<QString> ids;
        QMap<QString, int> kinds;
        for (const DiscoveryMessage &message : messages) {
            const QStringList parts = message.topic.split(u'/');
            QCOMPARE(parts.size(), 5);
            QCOMPARE(parts[0], u"homeassistant"_s);
            QCOMPARE(parts[2], node);
            QCOMPARE(parts[4], u"config"_s);
            ++kinds[parts[1]];
            const QJsonObject config = QJsonDocument::fromJson(message.payload).object();
            const QString id = config[u"unique_id"_s].toString();
            QVERIFY2(allowed.match(id).hasMatch() && allowed.match(parts[3]).hasMatch(),
                     qPrintable(message.topic));
            QVERIFY(!ids.contains(id));
            ids.insert(id);
            if (config.contains(u"state_topic"_s)) {
                const QString state = config[u"state_topic"_s].toString();
                QVERIFY2(state.startsWith(base + u'/'), qPrintable(state));
                QVERIFY2(topics.contains(state.mid(base.size() + 1)), qPrintable(state));
            }
            // Every value goes unavailable with the panel, and all but the link's with the
            // board's silence too.
            const QJsonArray availability = config[u"availability"_s].toArray();
            QCOMPARE(config[u"availability_mode"_s].toString(), u"all"_s);
            QCOMPARE(availability.at(0)[u"topic"_s].toString(), base + u"/status"_s);
            const bool isLink = parts[3] == u"link"_s;
            QCOMPARE(availability.size(), isLink ? 1 : 2);
            if (!isLink)
                QCOMPARE(availability.at(1)[u"topic"_s].toString(), base + u"/link"_s);

            if (!config.contains(u"command_topic"_s))
                continue;
            const QString command = config[u"command_topic"_s].toString().mid(base.size() + 1);
            QByteArrayList payloads;
            if (parts[1] == u"switch"_s)
                payloads = {config[u"payload_on"_s].toString().toUtf8(),
                            config[u"payload_off"_s].toString().toUtf8()};
            else if (parts[1] == u"button"_s)
                payloads = {config[u"payload_press"_s].toString().toUtf8()};
            else
                payloads = {QByteArray::number(config[u"min"_s].toInt()),
                            QByteArray::number(config[u"max"_s].toInt())};
            for (const QByteArray &payload : payloads)
                QVERIFY2(std::holds_alternative<ControlRequest::Request>(
                             MqttCommand::parse(command, payload)),
                         qPrintable(command + u' ' + QString::fromUtf8(payload)));
        }
        QCOMPARE(kinds.value(u"switch"_s), commands ? 64 : 0);
        QCOMPARE(kinds.value(u"button"_s), commands ? 32 : 0);
        QCOMPARE(kinds.value(u"number"_s), commands ? 2 : 0);
        QCOMPARE(kinds.value(u"binary_sensor"_s), commands ? 8 : 64 + 8);
        const QJsonObject door = QJsonDocument::fromJson(messages[64 + 2].payload).object();
        QCOMPARE(door[u"name"_s].toString(), u"Door"_s);
        // Relays by their names where they have one.
        QCOMPARE(QJsonDocument::fromJson(messages[4].payload).object()[u"name"_s].toString(),
                 u"Pump"_s);
        QCOMPARE(QJsonDocument::fromJson(messages[5].payload).object()[u"name"_s].toString(),
                 u"R6"_s);
    }
};

TARNWICK_TEST_MAIN(TestMqttTopics)
#include "tst_mqtttopics.moc"
