#include "RelayList.h"
#include "TestMain.h"

#include <cmath>
#include <limits>

using RelayList::Relay;

Q_DECLARE_METATYPE(std::optional<Relay>)

namespace {

std::optional<Relay> relay(char bankLetter, int position)
{
    return Relay{bankLetter - 'A', position};
}

} // namespace

namespace QTest {
template<>
char *toString(const std::optional<Relay> &relay)
{
    if (!relay)
        return qstrdup("no relay");
    return qstrdup(QByteArray(1, relay->bankLetter()).append(QByteArray::number(relay->position)));
}
} // namespace QTest

class TestRelayList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldCount_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("count");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("one character") << QStringLiteral("5") << 0;
        QTest::newRow("63 without separator") << QStringLiteral("63") << 1;
        QTest::newRow("one field") << QStringLiteral("05,") << 1;
        QTest::newRow("05,12 without last separator") << QStringLiteral("05,12") << 2;
        QTest::newRow("05,12,") << QStringLiteral("05,12,") << 2;
        QTest::newRow("one character after two fields") << QStringLiteral("05,12,0") << 2;
        QTest::newRow("01 02 03") << QStringLiteral("01 02 03") << 3;
        QTest::newRow("nine fields") << QStringLiteral("00,01,02,03,04,05,06,07,08,") << 9;
    }
    void fieldCount()
    {
        QFETCH(QString, list);
        QFETCH(int, count);
        QCOMPARE(RelayList::fieldCount(list.size()), count);
    }

    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("number");
        QTest::newRow("two digits") << QStringLiteral("05,12,") << 5.0;
        QTest::newRow("63 at the end") << QStringLiteral("63") << 63.0;
        QTest::newRow("reads on past the field") << QStringLiteral("123,") << 123.0;
        QTest::newRow("blanks skipped between digits") << QStringLiteral("01 02 03") << 10203.0;
        QTest::newRow("tabs and line feeds skipped") << QStringLiteral("\t0\n1\t \n2,") << 12.0;
        QTest::newRow("leading blanks") << QStringLiteral("   7,") << 7.0;
        QTest::newRow("carriage return stops") << QStringLiteral("1\r2") << 1.0;
        QTest::newRow("plus") << QStringLiteral("+5,") << 5.0;
        QTest::newRow("minus") << QStringLiteral("-1,") << -1.0;
        QTest::newRow("blank after the sign") << QStringLiteral("- 3,") << -3.0;
        QTest::newRow("two signs") << QStringLiteral("--3") << 0.0;
        QTest::newRow("sign after digits stops") << QStringLiteral("3-4") << 3.0;
        QTest::newRow("decimal point") << QStringLiteral("7.5,") << 7.5;
        QTest::newRow("point without fraction") << QStringLiteral("7.,") << 7.0;
        QTest::newRow("fraction only") << QStringLiteral(".5,") << 0.5;
        QTest::newRow("second point stops") << QStringLiteral("1.5.3") << 1.5;
        QTest::newRow("exponent E") << QStringLiteral("1.5E1,") << 15.0;
        QTest::newRow("exponent e") << QStringLiteral("2e1") << 20.0;
        QTest::newRow("exponent D") << QStringLiteral("1D1,") << 10.0;
        QTest::newRow("exponent d with sign") << QStringLiteral("25d-1") << 2.5;
        QTest::newRow("exponent with blanks") << QStringLiteral("1 E + 2") << 100.0;
        QTest::newRow("exponent without digits") << QStringLiteral("4E,") << 4.0;
        QTest::newRow("exponent sign without digits") << QStringLiteral("4E-,") << 4.0;
        QTest::newRow("point then exponent") << QStringLiteral("5.E1") << 50.0;
        QTest::newRow("comma is no decimal point") << QStringLiteral("1,5") << 1.0;
        QTest::newRow("no digits") << QStringLiteral("ab,") << 0.0;
        QTest::newRow("empty") << QString() << 0.0;
        QTest::newRow("blanks only") << QStringLiteral("   ") << 0.0;
        QTest::newRow("sign only") << QStringLiteral("-,") << 0.0;
        QTest::newRow("exponent without mantissa") << QStringLiteral("E5") << 0.0;
        QTest::newRow("hexadecimal is not read") << QStringLiteral("0x1F") << 0.0;
        QTest::newRow("digits of another script stop") << QStringLiteral("1\u0663") << 1.0;
        QTest::newRow("vanishing exponent") << QStringLiteral("5E-400") << 0.0;
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, number);
        QCOMPARE(RelayList::readNumber(text), number);
    }

    void numbersPastADoubleAreInfinite()
    {
        // The old reader stopped with an overflow error on these; here they name no relay.
        const double infinity = std::numeric_limits<double>::infinity();
        QCOMPARE(RelayList::readNumber(u"1E400"), infinity);
        QCOMPARE(RelayList::readNumber(u"-9D999999999999"), -infinity);
        QCOMPARE(RelayList::readNumber(QString(400, u'9')), infinity);
        QCOMPARE(RelayList::relayFor(infinity), std::nullopt);
        QCOMPARE(RelayList::relayFor(-infinity), std::nullopt);
        QCOMPARE(RelayList::relayFor(std::nan("")), std::nullopt);
    }

    void relayFor_data()
    {
        QTest::addColumn<double>("number");
        QTest::addColumn<std::optional<Relay>>("named");
        QTest::newRow("00 R1") << 0.0 << relay('A', 0);
        QTest::newRow("07 R8") << 7.0 << relay('A', 7);
        QTest::newRow("08 R9") << 8.0 << relay('B', 0);
        QTest::newRow("15 R16") << 15.0 << relay('B', 7);
        QTest::newRow("63 R64") << 63.0 << relay('H', 7);
        QTest::newRow("64 none") << 64.0 << std::optional<Relay>();
        QTest::newRow("99 none") << 99.0 << std::optional<Relay>();
        QTest::newRow("-1 none") << -1.0 << std::optional<Relay>();
        QTest::newRow("-0.5 none") << -0.5 << std::optional<Relay>();
        QTest::newRow("-0 is R1") << -0.0 << relay('A', 0);
        QTest::newRow("7.5 bank A position 0") << 7.5 << relay('A', 0);
        QTest::newRow("12.5 half to even") << 12.5 << relay('B', 4);
        QTest::newRow("13.5 half to even") << 13.5 << relay('B', 6);
        QTest::newRow("0.4") << 0.4 << relay('A', 0);
        QTest::newRow("0.6") << 0.6 << relay('A', 1);
        QTest::newRow("63.9 bank H position 0") << 63.9 << relay('H', 0);
        QTest::newRow("10203 none") << 10203.0 << std::optional<Relay>();
    }
    void relayFor()
    {
        QFETCH(double, number);
        QFETCH(std::optional<Relay>, named);
        QCOMPARE(RelayList::relayFor(number), named);
    }

    void walkShowsWhatIsLeftAfterEachField()
    {
        const QList<RelayList::Field> fields = RelayList::walk(u"00,09,");
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields[0].number, 0.0);
        QCOMPARE(fields[0].remaining, QStringLiteral("09,"));
        QCOMPARE(fields[0].relay, relay('A', 0));
        QCOMPARE(fields[1].number, 9.0);
        QCOMPARE(fields[1].remaining, QString());
        QCOMPARE(fields[1].relay, relay('B', 1));
    }

    void walkOfBlankSeparatedList()
    {
        const QList<RelayList::Field> fields = RelayList::walk(u"01 02 03");
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields[0].number, 10203.0);
        QCOMPARE(fields[0].relay, std::nullopt);
        QCOMPARE(fields[0].remaining, QStringLiteral("02 03"));
        QCOMPARE(fields[1].number, 203.0);
        QCOMPARE(fields[1].relay, std::nullopt);
        QCOMPARE(fields[1].remaining, QStringLiteral("03"));
        QCOMPARE(fields[2].number, 3.0);
        QCOMPARE(fields[2].relay, relay('A', 3));
        QCOMPARE(fields[2].remaining, QString());
    }

    void walkOfShortLastField()
    {
        // "05,12" has two fields; the second lacks its separator.
        const QList<RelayList::Field> fields = RelayList::walk(u"05,12");
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields[0].remaining, QStringLiteral("12"));
        QCOMPARE(fields[1].relay, relay('B', 4));
        QCOMPARE(fields[1].remaining, QString());
    }

    void walkGoesPastSixFields()
    {
        const QList<RelayList::Field> fields = RelayList::walk(u"00,09,18,27,36,45,54,63,01,");
        QCOMPARE(fields.size(), 9);
        QCOMPARE(fields[6].relay, relay('G', 6));
        QCOMPARE(fields[7].relay, relay('H', 7));
        QCOMPARE(fields[8].relay, relay('A', 1));
        QCOMPARE(fields[7].remaining, QStringLiteral("01,"));
    }

    void fieldWithoutDigitsNamesR1()
    {
        const QList<RelayList::Field> fields = RelayList::walk(u"xx,");
        QCOMPARE(fields.size(), 1);
        QCOMPARE(fields[0].relay, relay('A', 0));
    }

    void command1ReadsTwoCharactersOnly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<double>>("numbers");
        QTest::newRow("07,15,") << QStringLiteral("07,15,") << QList<double>{7, 15};
        QTest::newRow("123 reads 12") << QStringLiteral("123") << QList<double>{12};
        QTest::newRow("01 02 03") << QStringLiteral("01 02 03") << QList<double>{1, 2, 3};
        QTest::newRow("-1,") << QStringLiteral("-1,") << QList<double>{-1};
        QTest::newRow(".5,") << QStringLiteral(".5,") << QList<double>{0.5};
        QTest::newRow("blank first") << QStringLiteral(" 7,") << QList<double>{7};
        QTest::newRow("empty") << QString() << QList<double>{};
        QTest::newRow("eight fields")
            << QStringLiteral("01,02,03,04,05,06,07,08,") << QList<double>{1, 2, 3, 4, 5, 6, 7, 8};
    }
    void command1ReadsTwoCharactersOnly()
    {
        QFETCH(QString, text);
        QFETCH(QList<double>, numbers);
        QCOMPARE(RelayList::command1Numbers(text), numbers);
    }
};

TARNWICK_TEST_MAIN(TestRelayList)
#include "tst_relaylist.moc"
