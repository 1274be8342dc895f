#include "NumberText.h"
#include "TestMain.h"

#include <QtTest>
#include <cfloat>
#include <cmath>
#include <limits>
#include <numbers>

using namespace Qt::StringLiterals;

// Numbers as stored text: what the load-all accepts, and what the save-all writes.
class TestNumberText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toDouble_data();
    void toDouble();
    void toSingle_data();
    void toSingle();
    void ignoresTheUserLocale();
    void toInt16_data();
    void toInt16();
    void toInt32_data();
    void toInt32();
    void fromDouble_data();
    void fromDouble();
    void fromSingle_data();
    void fromSingle();
    void fromInteger_data();
    void fromInteger();
    void textRoundTrip_data();
    void textRoundTrip();
    void doubleReadsBack_data();
    void doubleReadsBack();
    void twipsReadBackExactly();
};

void TestNumberText::toDouble_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("zero") << u"0"_s << true << 0.0;
    QTest::newRow("whole") << u"4"_s << true << 4.0;
    QTest::newRow("fraction") << u"2.5"_s << true << 2.5;
    QTest::newRow("stored default 1.0") << u"1.0"_s << true << 1.0;
    QTest::newRow("blanks around") << u"  12  "_s << true << 12.0;
    QTest::newRow("tabs around") << u"\t-3.25\t"_s << true << -3.25;
    QTest::newRow("plus sign") << u"+7"_s << true << 7.0;
    QTest::newRow("minus zero") << u"-0"_s << true << 0.0;
    QTest::newRow("no leading digit") << u".5"_s << true << 0.5;
    QTest::newRow("no fraction digit") << u"5."_s << true << 5.0;
    QTest::newRow("exponent") << u"1e3"_s << true << 1000.0;
    QTest::newRow("capital exponent") << u"1E3"_s << true << 1000.0;
    QTest::newRow("negative exponent") << u"2.5e-3"_s << true << 0.0025;
    QTest::newRow("signed exponent") << u"1e+2"_s << true << 100.0;
    QTest::newRow("leading zeros") << u"007"_s << true << 7.0;
    QTest::newRow("largest double") << u"1.7976931348623157e308"_s << true << DBL_MAX;
    QTest::newRow("underflow is zero") << u"1e-400"_s << true << 0.0;
    QTest::newRow("long underflow is zero") << u"0."_s + QString(500, u'0') + u'1' << true << 0.0;

    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blank") << u" "_s << false << 0.0;
    QTest::newRow("sign only") << u"-"_s << false << 0.0;
    QTest::newRow("point only") << u"."_s << false << 0.0;
    QTest::newRow("exponent only") << u"e5"_s << false << 0.0;
    QTest::newRow("exponent without digits") << u"1e"_s << false << 0.0;
    QTest::newRow("exponent sign without digits") << u"1e+"_s << false << 0.0;
    QTest::newRow("decimal comma") << u"1,5"_s << false << 0.0;
    QTest::newRow("two points") << u"1.5.2"_s << false << 0.0;
    QTest::newRow("thousands blank") << u"1 000"_s << false << 0.0;
    QTest::newRow("blank after sign") << u"- 5"_s << false << 0.0;
    QTest::newRow("hexadecimal") << u"0x10"_s << false << 0.0;
    QTest::newRow("basic hex") << u"&H10"_s << false << 0.0;
    QTest::newRow("double exponent letter") << u"1D3"_s << false << 0.0;
    QTest::newRow("trailing text") << u"12abc"_s << false << 0.0;
    QTest::newRow("text") << u"abc"_s << false << 0.0;
    QTest::newRow("inf") << u"inf"_s << false << 0.0;
    QTest::newRow("minus infinity") << u"-Infinity"_s << false << 0.0;
    QTest::newRow("nan") << u"nan"_s << false << 0.0;
    QTest::newRow("overflow") << u"1e400"_s << false << 0.0;
    QTest::newRow("negative overflow") << u"-1e400"_s << false << 0.0;
    QTest::newRow("long overflow") << u"1"_s + QString(400, u'0') << false << 0.0;
    QTest::newRow("huge exponent") << u"1e99999999999999999999"_s << false << 0.0;
    QTest::newRow("arabic-indic digits") << u"\u0661\u0662"_s << false << 0.0;
    QTest::newRow("fullwidth digit") << u"\uFF15"_s << false << 0.0;
    QTest::newRow("newline around") << u"\n5"_s << false << 0.0;
}

void TestNumberText::toDouble()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);

    const std::optional<double> number = NumberText::toDouble(text);
    QCOMPARE(number.has_value(), valid);
    if (valid)
        QCOMPARE(*number, value);
}

void TestNumberText::toSingle_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<float>("value");

    QTest::newRow("twips") << u"5240"_s << true << 5240.0f;
    QTest::newRow("half twip") << u"1234.5"_s << true << 1234.5f;
    // Read straight into single precision: the nearest single, not a double rounded twice.
    QTest::newRow("tenth") << u"0.1"_s << true << 0.1f;
    QTest::newRow("beyond 24 bits") << u"16777217"_s << true << 16777216.0f;
    QTest::newRow("largest single") << u"3.4028234e38"_s << true << FLT_MAX;
    QTest::newRow("underflow is zero") << u"1e-50"_s << true << 0.0f;
    QTest::newRow("beyond single range") << u"3.5e38"_s << false << 0.0f;
    QTest::newRow("empty") << QString() << false << 0.0f;
    QTest::newRow("text") << u"left"_s << false << 0.0f;
}

void TestNumberText::toSingle()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(float, value);

    const std::optional<float> number = NumberText::toSingle(text);
    QCOMPARE(number.has_value(), valid);
    if (valid)
        QCOMPARE(*number, value);
}

void TestNumberText::ignoresTheUserLocale()
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(saved); });

    QCOMPARE(NumberText::toDouble(u"2.5"), 2.5);
    QVERIFY(!NumberText::toDouble(u"2,5"));
    QCOMPARE(NumberText::fromDouble(2.5), u"2.5"_s);
    QCOMPARE(NumberText::fromSingle(1234.5f), u"1234.5"_s);
    QCOMPARE(NumberText::fromInteger(1234567), u"1234567"_s);
}

void TestNumberText::toInt16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");

    QTest::newRow("whole") << u"200"_s << true << 200;
    QTest::newRow("half to even down") << u"2.5"_s << true << 2;
    QTest::newRow("half to even up") << u"3.5"_s << true << 4;
    QTest::newRow("half of zero") << u"0.5"_s << true << 0;
    QTest::newRow("one and a half") << u"1.5"_s << true << 2;
    QTest::newRow("negative half to even") << u"-2.5"_s << true << -2;
    QTest::newRow("negative half to even away") << u"-3.5"_s << true << -4;
    QTest::newRow("just below half") << u"2.4999"_s << true << 2;
    QTest::newRow("just above half") << u"2.5001"_s << true << 3;
    QTest::newRow("exponent") << u"1e3"_s << true << 1000;
    QTest::newRow("blanks") << u" 1 "_s << true << 1;
    QTest::newRow("largest") << u"32767"_s << true << 32767;
    QTest::newRow("rounds down to largest") << u"32767.4"_s << true << 32767;
    QTest::newRow("smallest") << u"-32768"_s << true << -32768;
    QTest::newRow("half below smallest rounds to it") << u"-32768.5"_s << true << -32768;
    QTest::newRow("half above largest rounds past it") << u"32767.5"_s << false << 0;
    QTest::newRow("above range") << u"32768"_s << false << 0;
    QTest::newRow("below range") << u"-32769"_s << false << 0;
    QTest::newRow("far out") << u"1e10"_s << false << 0;
    QTest::newRow("text") << u"abc"_s << false << 0;
    QTest::newRow("empty") << QString() << false << 0;
}

void TestNumberText::toInt16()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);

    const std::optional<qint16> number = NumberText::toInt16(text);
    QCOMPARE(number.has_value(), valid);
    if (valid)
        QCOMPARE(int(*number), value);
}

void TestNumberText::toInt32_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("value");

    QTest::newRow("colour") << u"3328050"_s << true << qint64(3328050);
    QTest::newRow("white") << u"16777215"_s << true << qint64(16777215);
    QTest::newRow("half to even") << u"100000.5"_s << true << qint64(100000);
    QTest::newRow("largest") << u"2147483647"_s << true << qint64(2147483647);
    QTest::newRow("smallest") << u"-2147483648"_s << true << qint64(-2147483648LL);
    QTest::newRow("half below smallest rounds to it")
        << u"-2147483648.5"_s << true << qint64(-2147483648LL);
    QTest::newRow("half above largest rounds past it") << u"2147483647.5"_s << false << qint64(0);
    QTest::newRow("above range") << u"2147483648"_s << false << qint64(0);
    QTest::newRow("overflow") << u"1e400"_s << false << qint64(0);
    QTest::newRow("text") << u"red"_s << false << qint64(0);
}

void TestNumberText::toInt32()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(qint64, value);

    const std::optional<qint32> number = NumberText::toInt32(text);
    QCOMPARE(number.has_value(), valid);
    if (valid)
        QCOMPARE(qint64(*number), value);
}

void TestNumberText::fromDouble_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    const double six = 0.6;
    QTest::newRow("0.6 * 4") << six * 4 << u"2.4"_s;
    QTest::newRow("0.1 + 0.2") << 0.1 + 0.2 << u"0.3"_s;
    QTest::newRow("fraction") << 1.5 << u"1.5"_s;
    QTest::newRow("hundredth") << 0.01 << u"0.01"_s;
    QTest::newRow("ten") << 10.0 << u"10"_s;
    QTest::newRow("whole has no point") << 4.0 << u"4"_s;
    QTest::newRow("zero") << 0.0 << u"0"_s;
    QTest::newRow("minus zero") << -0.0 << u"0"_s;
    QTest::newRow("negative") << -2.5 << u"-2.5"_s;
    QTest::newRow("third") << 1.0 / 3 << u"0.333333333333333"_s;
    QTest::newRow("fifteen digits") << 123456789012345.0 << u"123456789012345"_s;
    QTest::newRow("poll interval") << 5000.0 << u"5000"_s;
    QTest::newRow("infinity has no text") << std::numeric_limits<double>::infinity() << QString();
    QTest::newRow("nan has no text") << std::numeric_limits<double>::quiet_NaN() << QString();
}

void TestNumberText::fromDouble()
{
    QFETCH(double, value);
    QFETCH(QString, text);

    QCOMPARE(NumberText::fromDouble(value), text);
}

void TestNumberText::fromSingle_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole twips") << 5240.0f << u"5240"_s;
    QTest::newRow("half twips") << 1234.5f << u"1234.5"_s;
    // A double's 15 digits would show "1000.09997558594".
    QTest::newRow("not exact in binary") << 1000.1f << u"1000.1"_s;
    QTest::newRow("tenth") << 0.1f << u"0.1"_s;
    QTest::newRow("third") << 1.0f / 3 << u"0.3333333"_s;
    QTest::newRow("negative") << -120.0f << u"-120"_s;
    QTest::newRow("minus zero") << -0.0f << u"0"_s;
    QTest::newRow("infinity has no text") << std::numeric_limits<float>::infinity() << QString();
}

void TestNumberText::fromSingle()
{
    QFETCH(float, value);
    QFETCH(QString, text);

    QCOMPARE(NumberText::fromSingle(value), text);
}

void TestNumberText::fromInteger_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << qint64(0) << u"0"_s;
    QTest::newRow("port") << qint64(3) << u"3"_s;
    QTest::newRow("negative") << qint64(-32768) << u"-32768"_s;
    QTest::newRow("colour") << qint64(3289800) << u"3289800"_s;
    QTest::newRow("no grouping") << qint64(2147483647) << u"2147483647"_s;
}

void TestNumberText::fromInteger()
{
    QFETCH(qint64, value);
    QFETCH(QString, text);

    QCOMPARE(NumberText::fromInteger(value), text);
}

// A stored text read as a number and written again: the same text, or its plain form.
void TestNumberText::textRoundTrip_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("written");

    QTest::newRow("2.5") << u"2.5"_s << u"2.5"_s;
    QTest::newRow("4") << u"4"_s << u"4"_s;
    QTest::newRow("0") << u"0"_s << u"0"_s;
    QTest::newRow("-3.75") << u"-3.75"_s << u"-3.75"_s;
    QTest::newRow("0.01") << u"0.01"_s << u"0.01"_s;
    QTest::newRow("15 digits") << u"0.123456789012345"_s << u"0.123456789012345"_s;
    QTest::newRow("1.0 loses its zero") << u"1.0"_s << u"1"_s;
    QTest::newRow("blanks and plus go") << u" +12.50 "_s << u"12.5"_s;
    QTest::newRow("exponent written plainly") << u"2.5e2"_s << u"250"_s;
    QTest::newRow("minus zero") << u"-0.0"_s << u"0"_s;
}

void TestNumberText::textRoundTrip()
{
    QFETCH(QString, stored);
    QFETCH(QString, written);

    const std::optional<double> number = NumberText::toDouble(stored);
    QVERIFY(number);
    const QString text = NumberText::fromDouble(*number);
    QCOMPARE(text, written);
    QCOMPARE(NumberText::toDouble(text), number);
}

// Whatever text the save-all writes, the load-all reads back: exactly when the number has at
// most 15 significant digits, otherwise to within the 15 digits kept.
void TestNumberText::doubleReadsBack_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("exact");

    QTest::newRow("huge") << 1e300 << true;
    QTest::newRow("tiny") << 1e-300 << true;
    QTest::newRow("small") << 1.5e-7 << true;
    QTest::newRow("large") << 2.5e20 << true;
    QTest::newRow("largest") << DBL_MAX << true;
    QTest::newRow("most negative") << -DBL_MAX << true;
    QTest::newRow("smallest subnormal") << std::numeric_limits<double>::denorm_min() << false;
    QTest::newRow("third") << 1.0 / 3 << false;
    QTest::newRow("pi") << std::numbers::pi << false;
}

void TestNumberText::doubleReadsBack()
{
    QFETCH(double, value);
    QFETCH(bool, exact);

    const QString text = NumberText::fromDouble(value);
    const std::optional<double> back = NumberText::toDouble(text);
    QVERIFY2(back, qPrintable(text));
    if (exact)
        QCOMPARE(*back, value);
    else
        QVERIFY2(std::abs(*back - value) <= std::abs(value) * 1e-14, qPrintable(text));
}

// Window geometry is whole or half pixels of 15 twips: every such value below a million twips
// (far beyond any screen) must survive a save and a load unchanged.
void TestNumberText::twipsReadBackExactly()
{
    for (int halfPixels = -20000; halfPixels <= 130000; ++halfPixels) {
        const float twips = float(halfPixels) * 7.5f;
        const QString text = NumberText::fromSingle(twips);
        const std::optional<float> back = NumberText::toSingle(text);
        if (!back || *back != twips)
            QFAIL(qPrintable(u"%1 twips written as \"%2\""_s.arg(double(twips)).arg(text)));
    }
    // Rounded to 7 digits the largest single stays in range, so it still reads back.
    QVERIFY(NumberText::toSingle(NumberText::fromSingle(FLT_MAX)));
    QVERIFY(NumberText::toSingle(NumberText::fromSingle(-FLT_MAX)));
}

TARNWICK_TEST_MAIN(TestNumberText)
#include "tst_NumberText.moc"
