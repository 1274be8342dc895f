// What the service takes from a real settings file: the window's values after loading the
// same file, the defaults the window would seed for absent keys, the [Service] section, and
// a file that is read as it stands, never mended or written.
#include "QSettingsStore.h"
#include "ServiceOptions.h"
#include "SettingsKeys.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QString iniPath()
{
    return QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(u"Tarnwick/Tarnwick.ini"_s);
}

bool writeIni(const QByteArray &content)
{
    QDir().mkpath(QFileInfo(iniPath()).absolutePath());
    QFile file(iniPath());
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

QByteArray readIni()
{
    QFile file(iniPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestServiceOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QFile::remove(iniPath()); }

    void anEmptyStoreReadsAsTheWindowSeedsIt()
    {
        QSettingsStore store(QSettingsStore::Access::ReadOnly);
        const ServiceOptions options(store);
        QCOMPARE(options.portNumber(), std::optional(1));
        QCOMPARE(options.pollInterval(), 200);
        QCOMPARE(options.storedOutput(1), std::optional(1));
        for (int m = 0; m < 6; ++m) {
            QCOMPARE(options.meterScaleMax(m), 4.0);
            QCOMPARE(options.meterMultiplier(m), u"1.0"_s);
            QCOMPARE(options.meterCaption(m), u"Volts DC"_s);
        }
        QCOMPARE(options.names().inputs[0], u"Input 1"_s);
        QCOMPARE(options.names().inputs[7], u"Input 8"_s);
        QCOMPARE(options.names().outputs[1], u"An Out 2"_s);
        QCOMPARE(options.names().macros[31], u"Macro32"_s);
        QVERIFY(!options.temperatureInCelsius());
        QVERIFY(!options.relayLocked(15));
        QVERIFY(options.recordFolder().isEmpty());
        QVERIFY(!QFile::exists(iniPath())); // reading made no file
    }

    void storedValues_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<int>("port");     // 0: none that opens
        QTest::addColumn<int>("interval"); // ms
        QTest::addColumn<double>("scaleMax");
        QTest::addColumn<int>("output1"); // -1: no number, the output is left as it is
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<bool>("watchdogLocked");
        QTest::newRow("as the setup dialog writes them")
            << QByteArray("[StartUp]\nMeter-ComPort=3\nMeter%20Response=500\n"
                          "ScaleMax-Gauge0=10\nAout1=128\nTempMode=1\n[Service]\nWDT=1\n")
            << 3 << 500 << 10.0 << 128 << true << true;
        QTest::newRow("out of range, kept in range")
            << QByteArray("[StartUp]\nMeter-ComPort=256\nMeter%20Response=20\nAout1=900\n") << 0
            << 180 << 4.0 << 255 << false << false;
        QTest::newRow("not numbers")
            << QByteArray("[StartUp]\nMeter-ComPort=COM3\nMeter%20Response=fast\n"
                          "ScaleMax-Gauge0=lots\nAout1=half\nTempMode=yes\n[Service]\nWDT=on\n")
            << 0 << 200 << 5.0 << -1 << false << false;
        QTest::newRow("flags beyond 0 and 1")
            << QByteArray("[StartUp]\nTempMode=2\n[Service]\nWDT=2\n") << 1 << 200 << 4.0 << 1
            << false << false;
    }
    void storedValues()
    {
        QFETCH(QByteArray, ini);
        QFETCH(int, port);
        QFETCH(int, interval);
        QFETCH(double, scaleMax);
        QFETCH(int, output1);
        QFETCH(bool, celsius);
        QFETCH(bool, watchdogLocked);
        QVERIFY(writeIni(ini));
        QSettingsStore store(QSettingsStore::Access::ReadOnly);
        const ServiceOptions options(store);
        QCOMPARE(options.portNumber().value_or(0), port);
        QCOMPARE(options.pollInterval(), interval);
        QCOMPARE(options.meterScaleMax(0), scaleMax);
        QCOMPARE(options.storedOutput(1).value_or(-1), output1);
        QCOMPARE(options.temperatureInCelsius(), celsius);
        QCOMPARE(options.relayLocked(15), watchdogLocked);
        QVERIFY(!options.relayLocked(14)); // only the watchdog relay
    }

    void reloadTakesTheFileAsItNowStands()
    {
        QVERIFY(writeIni("[StartUp]\nDigStatusName0=Door\n[Service]\nRecordFolder=/srv/a\n"));
        QSettingsStore store(QSettingsStore::Access::ReadOnly);
        ServiceOptions options(store);
        QCOMPARE(options.names().inputs[0], u"Door"_s);
        QCOMPARE(options.recordFolder(), u"/srv/a"_s);
        // Rewritten with another size, as another program saves it.
        QVERIFY(
            writeIni("[StartUp]\nDigStatusName0=Gate 2\n[Service]\nRecordFolder=  /srv/bb  \n"));
        options.reload();
        QCOMPARE(options.names().inputs[0], u"Gate 2"_s);
        QCOMPARE(options.recordFolder(), u"/srv/bb"_s);
    }

    void aReadOnlyStoreNeitherMendsNorWrites()
    {
        // An unclosed quote runs on into the lines below it; the window's store mends it.
        const QByteArray ini = "[StartUp]\nMacroName0=\"Pump\nMeter-ComPort=4\n";
        QVERIFY(writeIni(ini));
        QSettingsStore store(QSettingsStore::Access::ReadOnly);
        ServiceOptions options(store);
        SettingsAccess(store).save(Keys::Aout1, u"77"_s);
        options.reload();
        QCOMPARE(readIni(), ini);
        QVERIFY(!QFile::exists(iniPath() + u".bak"_s));
        QVERIFY(SettingsAccess(store).read(Keys::Aout1).isEmpty());
    }
};

TARNWICK_TEST_MAIN(TestServiceOptions)
#include "tst_serviceoptions.moc"
