#include "MemorySettingsStore.h"
#include "SettingsKeys.h"
#include "TestMain.h"

#include <QSet>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(SettingsKey)
Q_DECLARE_METATYPE(KeyRange)
Q_DECLARE_METATYPE(StoredForm)

// The stored names of all keys, built from the documented schema rather than from the table.
static QStringList documentedKeyNames()
{
    const QStringList single{u"Meter-ComPort"_s, u"OnTop"_s,         u"Meter Response"_s,
                             u"AnalogOut1"_s,    u"AnalogOut2"_s,    u"Aout1"_s,
                             u"Aout2"_s,         u"Position-Left"_s, u"Position-Top"_s,
                             u"Height"_s,        u"TempMode"_s,      u"InterlockA"_s,
                             u"InterlockB"_s};
    const QStringList perMeter{u"ScaleMin-Gauge"_s,       u"ScaleMax-Gauge"_s,
                               u"TicSubCount-Gauge"_s,    u"Caption-Gauge"_s,
                               u"Start-Annular2-Gauge"_s, u"Stop-Annular2-Gauge"_s,
                               u"Color-Annular2-Gauge"_s, u"Start-Annular3-Gauge"_s,
                               u"Stop-Annular3-Gauge"_s,  u"Color-Annular3-Gauge"_s,
                               u"Start-Annular4-Gauge"_s, u"Stop-Annular4-Gauge"_s,
                               u"Color-Annular4-Gauge"_s, u"Multiplier"_s};
    QStringList names = single;
    for (const QString &base : perMeter) {
        for (int m = 0; m < 6; ++m)
            names << base + QString::number(m);
    }
    for (int n = 0; n < 32; ++n)
        names << u"MacroName%1"_s.arg(n) << u"OnString%1"_s.arg(n) << u"OffString%1"_s.arg(n);
    for (int k = 0; k < 8; ++k)
        names << u"DigStatusName%1"_s.arg(k);
    return names;
}

class TestSettingsKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theSchemaHas201Keys();
    void namesAreUnique();
    void keyName_data();
    void keyName();
    void schemaRows_data();
    void schemaRows();
    void constantDefaultsAreStoredForms();
    void unseededKeysComeLast();
    void accessReadsAndSavesTheProgramSection();
    void accessRefusesAnIndexThatDoesNotFit();
};

void TestSettingsKeys::theSchemaHas201Keys()
{
    const QList<KeyRef> keys = SettingsKeys::allKeys();
    QCOMPARE(keys.size(), 201);

    QStringList names;
    for (const KeyRef &ref : keys)
        names << SettingsKeys::keyName(ref);
    QStringList expected = documentedKeyNames();
    names.sort();
    expected.sort();
    QCOMPARE(names, expected);
}

void TestSettingsKeys::namesAreUnique()
{
    QSet<QString> names;
    for (const KeyRef &ref : SettingsKeys::allKeys()) {
        const QString name = SettingsKeys::keyName(ref);
        QVERIFY2(!name.isEmpty(), "every listed key has a name");
        QVERIFY2(!names.contains(name), qPrintable(name));
        names.insert(name);
    }
    QSet<QStringView> bases;
    for (const KeySpec &row : SettingsKeys::table()) {
        QVERIFY2(!bases.contains(row.base), qPrintable(row.base.toString()));
        bases.insert(row.base);
    }
}

void TestSettingsKeys::keyName_data()
{
    QTest::addColumn<SettingsKey>("key");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");

    QTest::newRow("meter 0 multiplier") << Keys::Multiplier << 0 << u"Multiplier0"_s;
    QTest::newRow("meter 5 multiplier") << Keys::Multiplier << 5 << u"Multiplier5"_s;
    QTest::newRow("tick count") << Keys::TicSubCountGauge << 0 << u"TicSubCount-Gauge0"_s;
    QTest::newRow("annular start") << Keys::StartAnnular2Gauge << 3 << u"Start-Annular2-Gauge3"_s;
    QTest::newRow("macro 12, no separator") << Keys::MacroName << 12 << u"MacroName12"_s;
    QTest::newRow("last macro list") << Keys::OffString << 31 << u"OffString31"_s;
    QTest::newRow("input 7") << Keys::DigStatusName << 7 << u"DigStatusName7"_s;
    QTest::newRow("single key with blank") << Keys::MeterResponse << -1 << u"Meter Response"_s;
    QTest::newRow("single key") << Keys::PositionLeft << -1 << u"Position-Left"_s;

    QTest::newRow("meter 6 does not exist") << Keys::Multiplier << 6 << QString();
    QTest::newRow("macro 32 does not exist") << Keys::OnString << 32 << QString();
    QTest::newRow("input 8 does not exist") << Keys::DigStatusName << 8 << QString();
    QTest::newRow("negative index") << Keys::MacroName << -2 << QString();
    QTest::newRow("indexed key without index") << Keys::CaptionGauge << -1 << QString();
    QTest::newRow("single key with index") << Keys::OnTop << 0 << QString();
}

void TestSettingsKeys::keyName()
{
    QFETCH(SettingsKey, key);
    QFETCH(int, index);
    QFETCH(QString, name);

    QCOMPARE(SettingsKeys::keyName(key, index), name);
    QCOMPARE(SettingsKeys::isValidIndex(key, index), !name.isEmpty());
}

// The schema as documented: each base name with its index range and stored form.
void TestSettingsKeys::schemaRows_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<KeyRange>("range");
    QTest::addColumn<StoredForm>("form");

    const auto row = [](const QString &base, KeyRange range, StoredForm form) {
        QTest::newRow(qPrintable(base)) << base << range << form;
    };
    using R = KeyRange;
    using F = StoredForm;
    row(u"Meter-ComPort"_s, R::None, F::WholeNumber);
    row(u"OnTop"_s, R::None, F::Flag);
    row(u"Meter Response"_s, R::None, F::WholeNumber);
    row(u"ScaleMin-Gauge"_s, R::Meter, F::Decimal);
    row(u"ScaleMax-Gauge"_s, R::Meter, F::Decimal);
    row(u"TicSubCount-Gauge"_s, R::Meter, F::WholeNumber);
    row(u"Caption-Gauge"_s, R::Meter, F::Text);
    row(u"Start-Annular2-Gauge"_s, R::Meter, F::Decimal);
    row(u"Stop-Annular2-Gauge"_s, R::Meter, F::Decimal);
    row(u"Color-Annular2-Gauge"_s, R::Meter, F::Colour);
    row(u"Start-Annular3-Gauge"_s, R::Meter, F::Decimal);
    row(u"Stop-Annular3-Gauge"_s, R::Meter, F::Decimal);
    row(u"Color-Annular3-Gauge"_s, R::Meter, F::Colour);
    row(u"Start-Annular4-Gauge"_s, R::Meter, F::Decimal);
    row(u"Stop-Annular4-Gauge"_s, R::Meter, F::Decimal);
    row(u"Color-Annular4-Gauge"_s, R::Meter, F::Colour);
    row(u"Multiplier"_s, R::Meter, F::Decimal);
    row(u"MacroName"_s, R::Macro, F::Text);
    row(u"OnString"_s, R::Macro, F::Text);
    row(u"OffString"_s, R::Macro, F::Text);
    row(u"DigStatusName"_s, R::Input, F::Text);
    row(u"AnalogOut1"_s, R::None, F::Text);
    row(u"AnalogOut2"_s, R::None, F::Text);
    row(u"Aout1"_s, R::None, F::WholeNumber);
    row(u"Aout2"_s, R::None, F::WholeNumber);
    row(u"Position-Left"_s, R::None, F::SingleTwips);
    row(u"Position-Top"_s, R::None, F::SingleTwips);
    row(u"Height"_s, R::None, F::SingleTwips);
    row(u"TempMode"_s, R::None, F::Flag);
    row(u"InterlockA"_s, R::None, F::Flag);
    row(u"InterlockB"_s, R::None, F::Flag);
}

void TestSettingsKeys::schemaRows()
{
    QFETCH(QString, base);
    QFETCH(KeyRange, range);
    QFETCH(StoredForm, form);

    const auto rows = SettingsKeys::table();
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](const KeySpec &row) { return row.base == base; });
    QVERIFY2(found != rows.end(), "the table has the key");
    QCOMPARE(found->range, range);
    QCOMPARE(found->form, form);
    QCOMPARE(&SettingsKeys::row(found->key), &*found);
}

// A constant default must itself be a valid value of its key's stored form, or the load-all
// would meet a malformed value on a fresh store.
void TestSettingsKeys::constantDefaultsAreStoredForms()
{
    for (const KeySpec &row : SettingsKeys::table()) {
        if (row.rule != DefaultRule::Constant)
            continue;
        const QString text = row.defaultText.toString();
        const QByteArray what = (row.base.toString() + u" = "_s + text).toUtf8();
        bool ok = true;
        switch (row.form) {
        case StoredForm::WholeNumber:
            text.toInt(&ok);
            break;
        case StoredForm::Flag:
            ok = text == u"0"_s || text == u"1"_s;
            break;
        case StoredForm::Decimal:
        case StoredForm::SingleTwips:
            text.toDouble(&ok);
            break;
        case StoredForm::Colour: {
            const uint colour = text.toUInt(&ok);
            ok = ok && colour <= 0xFFFFFFu;
            break;
        }
        case StoredForm::Text:
            ok = !text.isEmpty();
            break;
        }
        QVERIFY2(ok, what.constData());
    }
}

void TestSettingsKeys::unseededKeysComeLast()
{
    const QList<KeyRef> keys = SettingsKeys::allKeys();
    QStringList tail;
    for (qsizetype i = 131; i < keys.size(); ++i) {
        QCOMPARE(SettingsKeys::row(keys[i].key).rule, DefaultRule::NotSeeded);
        tail << SettingsKeys::keyName(keys[i]);
    }
    QCOMPARE(tail.size(), 70);
    QVERIFY(tail.contains(u"Start-Annular2-Gauge0"_s));
    QVERIFY(tail.contains(u"OnString0"_s));
    QVERIFY(tail.contains(u"OffString31"_s));
}

void TestSettingsKeys::accessReadsAndSavesTheProgramSection()
{
    MemorySettingsStore store;
    store.preset(u"Tarnwick"_s, u"StartUp"_s, u"Multiplier3"_s, u"2.5"_s);
    store.preset(u"Other"_s, u"StartUp"_s, u"Aout1"_s, u"9"_s);
    SettingsAccess settings(store);

    QCOMPARE(settings.read(Keys::Multiplier, 3), u"2.5"_s);
    QCOMPARE(settings.read(Keys::Aout1), QString());

    settings.save(Keys::MeterResponse, u"300"_s);
    settings.save(Keys::OnString, 31, u"05,12,"_s);
    const QList<MemorySettingsStore::Save> expected{
        {u"Tarnwick"_s, u"StartUp"_s, u"Meter Response"_s, u"300"_s},
        {u"Tarnwick"_s, u"StartUp"_s, u"OnString31"_s, u"05,12,"_s}};
    QVERIFY(store.saves() == expected);
    QCOMPARE(store.flushCount(), 2);
}

void TestSettingsKeys::accessRefusesAnIndexThatDoesNotFit()
{
    MemorySettingsStore store;
    SettingsAccess settings(store);

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"no key.*Multiplier.*6"_s));
    QCOMPARE(settings.read(Keys::Multiplier, 6), QString());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"no key.*MacroName.*-1"_s));
    settings.save(Keys::MacroName, u"Macro1"_s);
    QVERIFY(store.saves().isEmpty());
    QVERIFY(store.reads().isEmpty());
}

TARNWICK_TEST_MAIN(TestSettingsKeys)
#include "tst_SettingsKeys.moc"
