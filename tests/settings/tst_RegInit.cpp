#include "MemorySettingsStore.h"
#include "RegInit.h"
#include "SettingsStore.h"
#include "TestMain.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString app = u"Tarnwick"_s;
const QString section = u"StartUp"_s;

// The monitor window as RegInit sees it. Distinct geometry values so that a swapped rule shows.
class FakeWindow final : public RegInitSource
{
public:
    QString macroCaption(int n) const override { return macroFormat.arg(n + 1); }
    QString inputCaption(int k) const override { return inputFormat.arg(k + 1); }
    float windowLeft() const override { return left; }
    float windowTop() const override { return top; }
    float windowHeight() const override { return height; }

    QString macroFormat = u"Macro%1"_s;
    QString inputFormat = u"Input %1"_s;
    float left = 1234.5f;
    float top = 5240.0f;
    float height = 1000.1f;
};

// The seeding order and defaults as documented, written out independently of the key table so
// that a table in the wrong order, or with a wrong default, fails here.
QStringList documentedSeeding(const FakeWindow &window, const QString &left, const QString &top,
                              const QString &height)
{
    QStringList keys{u"Meter-ComPort=1"_s, u"OnTop=0"_s};
    const QStringList perMeter{u"Stop-Annular2-Gauge=2.5"_s,
                               u"Color-Annular2-Gauge=32768"_s,
                               u"Start-Annular3-Gauge=2.5"_s,
                               u"Stop-Annular3-Gauge=3"_s,
                               u"Color-Annular3-Gauge=65535"_s,
                               u"Start-Annular4-Gauge=3"_s,
                               u"Stop-Annular4-Gauge=4"_s,
                               u"Color-Annular4-Gauge=255"_s,
                               u"ScaleMin-Gauge=0"_s,
                               u"ScaleMax-Gauge=4"_s,
                               u"TicSubCount-Gauge=4"_s,
                               u"Caption-Gauge=Volts DC"_s,
                               u"Multiplier=1.0"_s};
    for (int m = 0; m < 6; ++m) {
        for (const QString &entry : perMeter) {
            const qsizetype equals = entry.indexOf(u'=');
            keys << entry.left(equals) + QString::number(m) + entry.mid(equals);
        }
    }
    keys << u"Meter Response=200"_s;
    for (int n = 0; n < 32; ++n)
        keys << u"MacroName%1=%2"_s.arg(n).arg(window.macroCaption(n));
    for (int k = 0; k < 8; ++k)
        keys << u"DigStatusName%1=%2"_s.arg(k).arg(window.inputCaption(k));
    keys << u"AnalogOut1=An Out 1"_s << u"AnalogOut2=An Out 2"_s << u"Aout1=1"_s << u"Aout2=1"_s;
    keys << u"Position-Left="_s + left << u"Position-Top="_s + top << u"Height="_s + height;
    keys << u"TempMode=0"_s << u"InterlockA=0"_s << u"InterlockB=0"_s;
    return keys;
}

QStringList documentedSeeding(const FakeWindow &window)
{
    return documentedSeeding(window, u"1234.5"_s, u"5240"_s, u"1000.1"_s);
}

QStringList keysOnly(const QStringList &entries)
{
    QStringList keys;
    for (const QString &entry : entries)
        keys << entry.left(entry.indexOf(u'='));
    return keys;
}

// The saves as "key=value", after checking each went to the program's application and section.
QStringList savedEntries(const MemorySettingsStore &store)
{
    QStringList entries;
    for (const MemorySettingsStore::Save &save : store.saves()) {
        if (save.application != app || save.section != section)
            return {u"save outside Tarnwick/StartUp: "_s + save.application + u'/' + save.section};
        entries << save.key + u'=' + save.value;
    }
    return entries;
}

} // namespace

class TestRegInit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void emptyStoreIsSeededInOrderWithTheDefaults();
    void aFullStoreIsOnlyRead();
    void presentValuesAreLeftAlone_data();
    void presentValuesAreLeftAlone();
    void emptyTextCountsAsAbsent_data();
    void emptyTextCountsAsAbsent();
    void keysWithoutDefaultAreNotSeeded();
    void captionsAndGeometryComeFromTheWindow();
    void anOlderStoreIsCompleted();
    void anEnclosingBatchFlushesOnce();
    void otherApplicationsAreIgnored();
};

void TestRegInit::emptyStoreIsSeededInOrderWithTheDefaults()
{
    MemorySettingsStore store;
    const FakeWindow window;

    RegInit(store, window);

    const QStringList expected = documentedSeeding(window);
    QCOMPARE(expected.size(), 131);
    QCOMPARE(savedEntries(store), expected);
    QCOMPARE(store.flushCount(), 1);
    QCOMPARE(store.unflushedSaves(), 0);
    QCOMPARE(store.size(), 131);
}

void TestRegInit::aFullStoreIsOnlyRead()
{
    MemorySettingsStore store;
    const FakeWindow window;
    RegInit(store, window);
    store.clearLog();

    RegInit(store, window);

    QVERIFY(store.saves().isEmpty());
    QCOMPARE(store.flushCount(), 0);
    // Every seeded key is still visited, once each, in seeding order.
    QStringList expectedReads;
    for (const QString &key : keysOnly(documentedSeeding(window)))
        expectedReads << app + u'/' + section + u'/' + key;
    QCOMPARE(store.reads(), expectedReads);
}

void TestRegInit::presentValuesAreLeftAlone_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("zero port") << u"Meter-ComPort"_s << u"0"_s;
    QTest::newRow("single blank name") << u"DigStatusName3"_s << u" "_s;
    QTest::newRow("zero multiplier") << u"Multiplier5"_s << u"0"_s;
    QTest::newRow("own caption") << u"Caption-Gauge2"_s << u"Amps"_s;
    QTest::newRow("malformed number") << u"Meter Response"_s << u"fast"_s;
    QTest::newRow("case differs from default") << u"AnalogOut1"_s << u"an out 1"_s;
    QTest::newRow("renamed macro") << u"MacroName31"_s << u"Pump on"_s;
    QTest::newRow("geometry") << u"Height"_s << u"-15"_s;
    QTest::newRow("interlock") << u"InterlockB"_s << u"1"_s;
}

void TestRegInit::presentValuesAreLeftAlone()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    MemorySettingsStore store;
    store.preset(app, section, key, value);
    const FakeWindow window;

    RegInit(store, window);

    QCOMPARE(store.read(app, section, key), value);
    QStringList expected = documentedSeeding(window);
    expected.removeIf([&](const QString &entry) { return entry.startsWith(key + u'='); });
    QCOMPARE(expected.size(), 130);
    QCOMPARE(savedEntries(store), expected);
}

void TestRegInit::emptyTextCountsAsAbsent_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("seeded");

    QTest::newRow("input name") << u"DigStatusName3"_s << u"Input 4"_s;
    QTest::newRow("slider name") << u"AnalogOut1"_s << u"An Out 1"_s;
    QTest::newRow("first macro name") << u"MacroName0"_s << u"Macro1"_s;
    QTest::newRow("last macro name") << u"MacroName31"_s << u"Macro32"_s;
    QTest::newRow("poll interval") << u"Meter Response"_s << u"200"_s;
    QTest::newRow("colour") << u"Color-Annular4-Gauge5"_s << u"255"_s;
    QTest::newRow("top edge") << u"Position-Top"_s << u"5240"_s;
}

void TestRegInit::emptyTextCountsAsAbsent()
{
    QFETCH(QString, key);
    QFETCH(QString, seeded);

    MemorySettingsStore store;
    store.preset(app, section, key, QString());
    RegInit(store, FakeWindow());

    QCOMPARE(store.read(app, section, key), seeded);
    QCOMPARE(store.saves().size(), 131);
}

void TestRegInit::keysWithoutDefaultAreNotSeeded()
{
    MemorySettingsStore store;
    store.preset(app, section, u"OnString0"_s, QString());
    store.preset(app, section, u"OffString7"_s, QString());
    store.preset(app, section, u"Start-Annular2-Gauge1"_s, QString());

    RegInit(store, FakeWindow());

    for (const MemorySettingsStore::Save &save : store.saves()) {
        QVERIFY2(!save.key.startsWith(u"Start-Annular2-Gauge"_s), qPrintable(save.key));
        QVERIFY2(!save.key.startsWith(u"OnString"_s), qPrintable(save.key));
        QVERIFY2(!save.key.startsWith(u"OffString"_s), qPrintable(save.key));
    }
    QVERIFY(!store.contains(app, section, u"OnString1"_s));
    QVERIFY(!store.contains(app, section, u"Start-Annular2-Gauge0"_s));
    // The macro strings may stay empty.
    QCOMPARE(store.read(app, section, u"OnString0"_s), QString());
}

void TestRegInit::captionsAndGeometryComeFromTheWindow()
{
    MemorySettingsStore store;
    FakeWindow window;
    window.macroFormat = u"Bank %1"_s;
    window.inputFormat = u"Door %1"_s;
    window.left = 0.0f;
    window.top = -7.5f;
    window.height = 9000.0f;

    RegInit(store, window);

    QCOMPARE(savedEntries(store), documentedSeeding(window, u"0"_s, u"-7.5"_s, u"9000"_s));
    QCOMPARE(store.read(app, section, u"MacroName9"_s), u"Bank 10"_s);
    QCOMPARE(store.read(app, section, u"DigStatusName0"_s), u"Door 1"_s);
}

// A store from an older installation that lacks some keys is completed, and only those keys
// are written.
void TestRegInit::anOlderStoreIsCompleted()
{
    MemorySettingsStore store;
    const FakeWindow window;
    const QStringList all = documentedSeeding(window);
    QStringList missing;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString key = all[i].left(all[i].indexOf(u'='));
        if (i % 3 == 0)
            missing << all[i];
        else
            store.preset(app, section, key, u"kept"_s);
    }

    RegInit(store, window);

    QCOMPARE(savedEntries(store), missing);
    QCOMPARE(store.flushCount(), 1);
}

void TestRegInit::anEnclosingBatchFlushesOnce()
{
    MemorySettingsStore store;
    {
        const SettingsStore::Batch outer(store);
        RegInit(store, FakeWindow());
        QCOMPARE(store.flushCount(), 0);
        QCOMPARE(store.unflushedSaves(), 131);
    }
    QCOMPARE(store.flushCount(), 1);
    QCOMPARE(store.unflushedSaves(), 0);
}

void TestRegInit::otherApplicationsAreIgnored()
{
    MemorySettingsStore store;
    store.preset(u"Other"_s, section, u"OnTop"_s, u"1"_s);
    store.preset(app, u"Elsewhere"_s, u"Aout1"_s, u"7"_s);

    RegInit(store, FakeWindow());

    QCOMPARE(store.read(app, section, u"OnTop"_s), u"0"_s);
    QCOMPARE(store.read(app, section, u"Aout1"_s), u"1"_s);
    QCOMPARE(store.read(u"Other"_s, section, u"OnTop"_s), u"1"_s);
    QCOMPARE(store.read(app, u"Elsewhere"_s, u"Aout1"_s), u"7"_s);
}

TARNWICK_TEST_MAIN(TestRegInit)
#include "tst_RegInit.moc"
