// What goes out under the base topic: the values as the topics carry them, only what
// changed, and Home Assistant's discovery pointing at topics that are really published.
#include "MqttCommand.h"
#include "MqttDiscovery.h"
#include "MqttTopics.h"
#include "PanelStatus.h"
#include "StatusFrame.h"
#include "TestMain.h"

#include <QJsonDocument>
#include <QJsonObject>

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
        QTest::newRow("commands on") << true;
        QTest::newRow("commands off") << false;
    }
    void discoveryPointsAtPublishedTopics()
    {
        QFETCH(bool, commands);
        const QString base = u"plant/board7"_s;
        const PanelStatus panel = shownPanel();
        const QMap<QString, QByteArray> topics = asMap(MqttTopics::panelTopics(panel));
        const QList<DiscoveryMessage> messages = MqttDiscovery::messages(base, panel, commands);
        QCOMPARE(messages.size(), 64 + 8 + 6 + 1 + 1);
        QSet<QString> ids;
        int switches = 0;
        for (const DiscoveryMessage &message : messages) {
            QVERIFY2(message.topic.startsWith(u"homeassistant/"_s), qPrintable(message.topic));
            QVERIFY(message.topic.endsWith(u"/config"_s));
            const QJsonObject config = QJsonDocument::fromJson(message.payload).object();
            const QString state = config[u"state_topic"_s].toString();
            QVERIFY2(state.startsWith(base + u'/'), qPrintable(state));
            QVERIFY2(topics.contains(state.mid(base.size() + 1)), qPrintable(state));
            QCOMPARE(config[u"availability_topic"_s].toString(), base + u"/status"_s);
            const QString id = config[u"unique_id"_s].toString();
            QVERIFY(!id.isEmpty() && !ids.contains(id));
            ids.insert(id);
            if (config.contains(u"command_topic"_s)) {
                ++switches;
                const QString command = config[u"command_topic"_s].toString().mid(base.size() + 1);
                for (const char *payload : {"payload_on", "payload_off"})
                    QVERIFY(std::holds_alternative<ControlRequest::Request>(MqttCommand::parse(
                        command, config[QLatin1String(payload)].toString().toUtf8())));
            }
        }
        QCOMPARE(switches, commands ? 64 : 0);
        const QJsonObject door = QJsonDocument::fromJson(messages[64 + 2].payload).object();
        QCOMPARE(door[u"name"_s].toString(), u"Door"_s);
    }
};

TARNWICK_TEST_MAIN(TestMqttTopics)
#include "tst_mqtttopics.moc"
