// mqtt.ini as a user writes it by hand: every key, the defaults, and what a wrong value
// becomes. The file is only ever read.
#include "MqttConfig.h"
#include "TestMain.h"

#include <QFile>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

QString writeTemporary(const QTemporaryDir &folder, const QString &name, const QByteArray &text)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return path;
}

} // namespace

class TestMqttConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void nothingSetIsOffWithTheDefaults()
    {
        const MqttConfigRead read = parseMqttConfig({});
        QVERIFY(!read.config.enabled());
        QCOMPARE(read.config.port, 1883);
        QVERIFY(!read.config.commands);
        QVERIFY(!read.config.discovery);
        QCOMPARE(read.problems, QStringList());
        QCOMPARE(readMqttConfigFile(u"/nonexistent/mqtt.ini"_s).config, MqttConfig());
    }

    void everyKeyIsRead()
    {
        QTemporaryDir folder;
        const QString path = writeTemporary(folder, u"mqtt.ini"_s,
                                            "[StartUp]\nhost=not-this-one\n"
                                            "[mqtt]\nhost = broker.local\nport=8883\n"
                                            "client_id=bench-7\nusername=panel\n"
                                            "password_file=/etc/tarnwick/password\n"
                                            "tls_ca_file=/etc/ssl/certs/ca.pem\n"
                                            "base_topic=plant/hall2/board7\ncommands=on\n"
                                            "discovery=yes\n");
        const QByteArray before = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const MqttConfigRead read = readMqttConfigFile(path);
        QCOMPARE(read.problems, QStringList());
        const MqttConfig &config = read.config;
        QCOMPARE(config.host, u"broker.local"_s);
        QCOMPARE(config.port, 8883);
        QCOMPARE(config.clientId, u"bench-7"_s);
        QCOMPARE(config.username, u"panel"_s);
        QCOMPARE(config.passwordFile, u"/etc/tarnwick/password"_s);
        QCOMPARE(config.tlsCaFile, u"/etc/ssl/certs/ca.pem"_s);
        QCOMPARE(config.baseTopic, u"plant/hall2/board7"_s);
        QVERIFY(config.commands);
        QVERIFY(config.discovery);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    void aWrongValueFallsBackAndSaysSo_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("problem");
        QTest::newRow("port 0") << u"port"_s << u"0"_s << u"1883 used"_s;
        QTest::newRow("port 65536") << u"port"_s << u"65536"_s << u"1883 used"_s;
        QTest::newRow("port text") << u"port"_s << u"mqtt"_s << u"1883 used"_s;
        QTest::newRow("port empty") << u"port"_s << QString() << u"1883 used"_s;
        QTest::newRow("commands maybe") << u"commands"_s << u"maybe"_s << u"off used"_s;
        QTest::newRow("discovery 2") << u"discovery"_s << u"2"_s << u"off used"_s;
        QTest::newRow("unknown key") << u"password"_s << u"hunter2"_s << u"ignored"_s;
    }
    void aWrongValueFallsBackAndSaysSo()
    {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, problem);
        const MqttConfigRead read = parseMqttConfig({{u"host"_s, u"h"_s}, {key, value}});
        QCOMPARE(read.config.port, 1883);
        QVERIFY(!read.config.commands);
        QVERIFY(!read.config.discovery);
        QCOMPARE(read.problems.size(), 1);
        QVERIFY2(read.problems.first().contains(problem), qPrintable(read.problems.first()));
        // A password written into mqtt.ini by mistake is not repeated in the log.
        if (key == u"password"_s)
            QVERIFY(!read.problems.first().contains(value));
    }

    void switchesTakeTheUsualWords_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("on");
        for (const char *word : {"on", "ON", "true", "yes", "1"})
            QTest::newRow(word) << QString::fromLatin1(word) << true;
        for (const char *word : {"off", "Off", "false", "no", "0"})
            QTest::newRow(word) << QString::fromLatin1(word) << false;
    }
    void switchesTakeTheUsualWords()
    {
        QFETCH(QString, value);
        QFETCH(bool, on);
        const MqttConfigRead read =
            parseMqttConfig({{u"commands"_s, value}, {u"discovery"_s, value}});
        QCOMPARE(read.config.commands, on);
        QCOMPARE(read.config.discovery, on);
        QCOMPARE(read.problems, QStringList());
    }

    void baseTopicsAreMadeSafe_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("used");
        QTest::newRow("as written") << u"plant/board"_s << u"plant/board"_s;
        QTest::newRow("slashes around") << u"/plant//board/"_s << u"plant/board"_s;
        QTest::newRow("wildcards") << u"plant/+/#"_s << u"plant/_/_"_s;
        QTest::newRow("only slashes") << u"///"_s << QString();
    }
    void baseTopicsAreMadeSafe()
    {
        QFETCH(QString, written);
        QFETCH(QString, used);
        const MqttConfigRead read = parseMqttConfig({{u"base_topic"_s, written}});
        QCOMPARE(read.config.baseTopic, used);
        QCOMPARE(read.problems.size(), written == used ? 0 : 1);
    }

    void theDefaultBaseTopicNamesHostAndPort()
    {
        QCOMPARE(defaultBaseTopic(u"bench"_s, 3), u"tarnwick/bench-com3"_s);
        QCOMPARE(defaultBaseTopic(u"odd/name+#"_s, 1), u"tarnwick/odd_name__-com1"_s);
        QCOMPARE(defaultBaseTopic(QString(), 9), u"tarnwick/panel-com9"_s);
    }

    void aCommaInAHandWrittenValueIsKept()
    {
        QTemporaryDir folder;
        const QString path =
            writeTemporary(folder, u"mqtt.ini"_s, "[mqtt]\nhost=h\nclient_id=panel,bench\n");
        QCOMPARE(readMqttConfigFile(path).config.clientId, u"panel,bench"_s);
    }

    void aFileOfGarbageIsOffNotAFault()
    {
        QTemporaryDir folder;
        QByteArray junk(4096, '\0');
        for (int i = 0; i < junk.size(); ++i)
            junk[i] = char((i * 131) & 0xff);
        const QString path = writeTemporary(folder, u"mqtt.ini"_s, junk);
        QVERIFY(!readMqttConfigFile(path).config.enabled());
    }

    void thePasswordIsTheFilesFirstLine_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("password");
        QTest::newRow("line feed") << QByteArray("pa ss\n") << u"pa ss"_s;
        QTest::newRow("carriage return") << QByteArray("pa ss\r\nsecond\n") << u"pa ss"_s;
        QTest::newRow("no line end") << QByteArray("pa ss") << u"pa ss"_s;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void thePasswordIsTheFilesFirstLine()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, password);
        QTemporaryDir folder;
        QString problem;
        QCOMPARE(readPasswordFile(writeTemporary(folder, u"pw"_s, content), &problem), password);
        QCOMPARE(problem, QString());
    }

    void anUnreadablePasswordFileIsSaidWithoutItsContent()
    {
        QTemporaryDir folder;
        QString problem;
        QCOMPARE(readPasswordFile(folder.filePath(u"missing"_s), &problem), QString());
        QVERIFY(problem.contains(u"missing"_s));
        const QString huge = writeTemporary(folder, u"huge"_s, QByteArray(100000, 'x'));
        problem.clear();
        QCOMPARE(readPasswordFile(huge, &problem), QString());
        QVERIFY(!problem.isEmpty());
        QVERIFY(!problem.contains(u"xxxx"_s));
    }
};

TARNWICK_TEST_MAIN(TestMqttConfig)
#include "tst_mqttconfig.moc"
