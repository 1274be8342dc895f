// The start writes nothing back that the user wrote: the load-all, the hidden setup dialog's
// load with its sliders, and the analog-output sliders leave every stored text as it was,
// until the user changes that setting. The next save-all then writes numbers by the
// number-to-text rule.
#include "SetupFixture.h"
#include "TestMain.h"

#include <QScrollBar>
#include <QSlider>

using namespace Qt::StringLiterals;

namespace {

struct Preset
{
    QString key;
    QString text;
};

// "Key=text" pairs; a key may hold blanks but no '='.
QList<Preset> presets(const QStringList &pairs)
{
    QList<Preset> result;
    for (const QString &pair : pairs) {
        const qsizetype at = pair.indexOf(u'=');
        result.append({pair.left(at), pair.mid(at + 1)});
    }
    return result;
}

QString read(const MemorySettingsStore &store, const QString &key)
{
    return store.read(SettingsKeys::application, SettingsKeys::section, key);
}

} // namespace

class TestStoredTextsAtStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startRewritesNothing_data()
    {
        QTest::addColumn<QStringList>("pairs");
        QTest::newRow("multiplier with a blank") << QStringList{u"Multiplier0= 5"_s};
        QTest::newRow("multiplier finer than the slider") << QStringList{u"Multiplier0=1.234"_s};
        QTest::newRow("multiplier with trailing zeros") << QStringList{u"Multiplier0=1.50"_s};
        QTest::newRow("poll period written with a fraction")
            << QStringList{u"Meter Response=200.0"_s};
        QTest::newRow("bad poll period and bad output")
            << QStringList{u"Meter Response=fast"_s, u"Aout1=abc"_s, u"Aout2=-5"_s};
        QTest::newRow("good poll period and outputs beyond the slider")
            << QStringList{u"Meter Response=300"_s, u"Aout1=1e308"_s, u"Aout2=-5"_s};
        QTest::newRow("outputs written with a fraction")
            << QStringList{u"Aout1=12.0"_s, u"Aout2=300"_s};
        QTest::newRow("gauge numbers in another form")
            << QStringList{u"ScaleMax-Gauge0=4.0"_s, u"Stop-Annular2-Gauge0=2.50"_s,
                           u"TicSubCount-Gauge0=04"_s, u"Color-Annular4-Gauge0=255.0"_s};
        QTest::newRow("window and check boxes in another form") << QStringList{
            u"Height=5240.0"_s, u"TempMode=1.0"_s, u"OnTop=0.0"_s, u"Meter-ComPort=01"_s};
        QStringList everywhere;
        for (const char *key : {"Meter Response", "Aout1", "Aout2", "Multiplier0", "Height",
                                "Position-Left", "Position-Top", "ScaleMin-Gauge0",
                                "ScaleMax-Gauge0", "TicSubCount-Gauge0", "Stop-Annular2-Gauge0"})
            everywhere << QString::fromLatin1(key) + u"=1e308"_s;
        QTest::newRow("1e308 everywhere") << everywhere;
    }
    void startRewritesNothing()
    {
        QFETCH(QStringList, pairs);
        SetupFixture f;
        for (const Preset &preset : presets(pairs))
            f.store.preset(SettingsKeys::application, SettingsKeys::section, preset.key,
                           preset.text);
        f.start();
        QVERIFY(f.dialog()); // the hidden dialog and its load ran
        for (const Preset &preset : presets(pairs))
            QCOMPARE(read(f.store, preset.key), preset.text);
    }

    // The readouts follow the loaded positions although nothing is written back.
    void outputReadoutsFollowTheLoadedPositions()
    {
        SetupFixture f;
        f.preset(Keys::Aout1, u"1e308"_s);
        f.preset(Keys::Aout2, u"51.0"_s);
        f.start();
        QCOMPARE(f.child<QSlider>(u"VScroll1"_s)->value(), 255);
        QCOMPARE(f.child<QLabel>(u"Label10"_s)->text(), u"5.00"_s);
        QCOMPARE(f.child<QLabel>(u"Label11"_s)->text(), u"1.00"_s);
        QCOMPARE(f.stored(Keys::Aout1), u"1e308"_s);
    }

    // The user's move of a slider stores its position as it always did.
    void userMoveOfAnOutputStoresIt()
    {
        SetupFixture f;
        f.preset(Keys::Aout1, u"1e308"_s);
        f.start();
        f.child<QSlider>(u"VScroll1"_s)->setValue(17);
        QCOMPARE(f.stored(Keys::Aout1), u"17"_s);
    }

    // The first save-all after the start (here the setup dialog's close) writes the numbers
    // by the rule and keeps what reads as no number.
    void dialogCloseWritesNumbersByTheRule()
    {
        SetupFixture f;
        f.preset(Keys::Multiplier, u" 5"_s, 0);
        f.preset(Keys::ScaleMaxGauge, u"4.0"_s, 0);
        f.preset(Keys::Aout1, u"1e308"_s);
        f.preset(Keys::Aout2, u"abc"_s);
        f.start();
        f.open();
        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::ScaleMaxGauge, 0), u"4"_s);
        QCOMPARE(f.stored(Keys::Aout1), u"255"_s);
        QCOMPARE(f.stored(Keys::Aout2), u"abc"_s);
        // The multiplier is the page's own key, written when its slider moves.
        QCOMPARE(f.stored(Keys::Multiplier, 0), u" 5"_s);
    }
};

TARNWICK_TEST_MAIN(TestStoredTextsAtStart)
#include "tst_storedtextsatstart.moc"
