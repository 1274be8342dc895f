#include "BgrColor.h"
#include "MacroCommand.h"
#include "TestMain.h"

#include <QSet>

using MacroCommand::DebugTexts;

namespace {

constexpr quint32 onColor = BgrColor::fromRgb(50, 200, 50);
constexpr quint32 offColor = BgrColor::fromRgb(200, 50, 50);
constexpr quint32 designColour = BgrColor::fromRgb(192, 0, 0);

// The relay buttons' colours, by caption number ("R1".."R64"); all off unless named on.
class Buttons
{
public:
    explicit Buttons(const QSet<int> &on = {}, quint32 rest = offColor)
    {
        m_colours.fill(rest);
        for (int caption : on)
            m_colours[caption - 1] = onColor;
    }
    MacroCommand::RelayColours colours() const
    {
        return {onColor, offColor, [this](int bank, int position) {
                    return m_colours[8 * bank + position];
                }};
    }

private:
    std::array<quint32, 64> m_colours{};
};

QList<QByteArray> frames(std::initializer_list<const char *> hex)
{
    QList<QByteArray> list;
    for (const char *bytes : hex)
        list.append(QByteArray::fromHex(bytes));
    return list;
}

} // namespace

class TestMacroCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void macroFrames_data()
    {
        QTest::addColumn<QString>("onList");
        QTest::addColumn<QString>("offList");
        QTest::addColumn<QSet<int>>("relaysOn");
        QTest::addColumn<QList<QByteArray>>("written");
        QTest::addColumn<QString>("text1");

        QTest::newRow("00,09, with R1 off and R10 on")
            << QStringLiteral("00,09,") << QString() << QSet<int>{10} << frames({"244130010D"})
            << QStringLiteral("A");
        QTest::newRow("off list 63 with R64 on")
            << QString() << QStringLiteral("63") << QSet<int>{64} << frames({"244830800D"})
            << QStringLiteral("H");
        QTest::newRow("off list 63 with R64 off")
            << QString() << QStringLiteral("63") << QSet<int>{} << frames({}) << QString();
        QTest::newRow("05,05, with R6 off: inverted twice")
            << QStringLiteral("05,05,") << QString() << QSet<int>{}
            << frames({"244130200D", "244130200D"}) << QStringLiteral("A");
        QTest::newRow("in both lists, off: on list switches it")
            << QStringLiteral("20,") << QStringLiteral("20,") << QSet<int>{}
            << frames({"244330100D"}) << QStringLiteral("C");
        QTest::newRow("in both lists, on: off list switches it")
            << QStringLiteral("20,") << QStringLiteral("20,") << QSet<int>{21}
            << frames({"244330100D"}) << QStringLiteral("C");
        QTest::newRow("01 02 03 with R4 off: only R4")
            << QStringLiteral("01 02 03") << QString() << QSet<int>{} << frames({"244130080D"})
            << QStringLiteral("A");
        QTest::newRow("01 02 03 with R4 on: nothing")
            << QStringLiteral("01 02 03") << QString() << QSet<int>{4} << frames({}) << QString();
        QTest::newRow("64,99, names nothing")
            << QStringLiteral("64,99,") << QStringLiteral("64,99,") << QSet<int>{} << frames({})
            << QString();
        QTest::newRow("-1, names nothing") << QStringLiteral("-1,") << QStringLiteral("-1,")
                                           << QSet<int>{} << frames({}) << QString();
        QTest::newRow("15, with R16 off") << QStringLiteral("15,") << QString() << QSet<int>{}
                                          << frames({"244230800D"}) << QStringLiteral("B");
        QTest::newRow("123 reads 123: no relay")
            << QStringLiteral("123") << QString() << QSet<int>{} << frames({}) << QString();
        QTest::newRow("no digits names R1") << QStringLiteral("ab,") << QString() << QSet<int>{}
                                            << frames({"244130010D"}) << QStringLiteral("A");
        QTest::newRow("on list first, each in list order")
            << QStringLiteral("63,00,") << QStringLiteral("40,08,") << QSet<int>{9, 41}
            << frames({"244830800D", "244130010D", "244630010D", "244230010D"})
            << QStringLiteral("B");
        QTest::newRow("letter of the last frame, not of the last field")
            << QStringLiteral("17,") << QStringLiteral("30,") << QSet<int>{}
            << frames({"244330020D"}) << QStringLiteral("C");
        QTest::newRow("nine fields act on all nine")
            << QStringLiteral("00,09,18,27,36,45,54,63,01,") << QString() << QSet<int>{}
            << frames({"244130010D", "244230020D", "244330040D", "244430080D", "244530100D",
                       "244630200D", "244730400D", "244830800D", "244130020D"})
            << QStringLiteral("A");
        QTest::newRow("empty lists")
            << QString() << QString() << QSet<int>{} << frames({}) << QString();
    }
    void macroFrames()
    {
        QFETCH(QString, onList);
        QFETCH(QString, offList);
        QFETCH(QSet<int>, relaysOn);
        QFETCH(QList<QByteArray>, written);
        QFETCH(QString, text1);
        const Buttons buttons(relaysOn);
        const MacroCommand::MacroResult result =
            MacroCommand::macroClick(onList, offList, buttons.colours());
        QCOMPARE(result.frames, written);
        QCOMPARE(result.text1.value_or(QString()), text1);
        QCOMPARE(result.text1.has_value(), !written.isEmpty());
    }

    void buttonsInTheDesignColourAreNeitherState()
    {
        // Before the first status frame a button is neither on nor off: nothing is sent.
        const Buttons buttons({}, designColour);
        const MacroCommand::MacroResult result =
            MacroCommand::macroClick(u"00,01,", u"02,03,", buttons.colours());
        QVERIFY(result.frames.isEmpty());
        QVERIFY(!result.text1);
    }

    void eachListOnItsOwn()
    {
        const Buttons buttons({2});
        const auto on = MacroCommand::SwitchRelaysOn(u"00,01,", buttons.colours());
        QCOMPARE(on.frames, frames({"244130010D"}));
        const auto off = MacroCommand::SwitchRelaysOff(u"00,01,", buttons.colours());
        QCOMPARE(off.frames, frames({"244130020D"}));
    }

    void debugTextsOfOneList()
    {
        const Buttons buttons;
        const auto on = MacroCommand::SwitchRelaysOn(u"00,09,", buttons.colours());
        const DebugTexts expected{QStringLiteral("09,"), QString(), {}, {}, {}, {}};
        QCOMPARE(on.text2, expected);
    }

    void debugTextsOfTheOffListOverwriteFromTheFirstBox()
    {
        const Buttons buttons;
        const MacroCommand::MacroResult result =
            MacroCommand::macroClick(u"00,01,02,03", u"63,", buttons.colours());
        const DebugTexts afterOn{QStringLiteral("01,02,03"),
                                 QStringLiteral("02,03"),
                                 QStringLiteral("03"),
                                 QString(),
                                 {},
                                 {}};
        QCOMPARE(result.text2AfterOnList, afterOn);
        const DebugTexts afterBoth{
            QString(), QStringLiteral("02,03"), QStringLiteral("03"), QString(), {}, {}};
        QCOMPARE(result.text2, afterBoth);
    }

    void debugTextsStopAtSixBoxes()
    {
        const Buttons buttons;
        const MacroCommand::MacroResult result =
            MacroCommand::macroClick(u"00,01,02,03,04,05,06,07,", QString(), buttons.colours());
        QCOMPARE(result.frames.size(), 8);
        QCOMPARE(result.text2[5], QStringLiteral("06,07,"));
    }

    void emptyListsLeaveTheDebugStripAlone()
    {
        const Buttons buttons;
        const MacroCommand::MacroResult result =
            MacroCommand::macroClick(QString(), QString(), buttons.colours());
        QCOMPARE(result.text2, DebugTexts{});
        QVERIFY(!result.text1);
    }

    void command1Texts_data()
    {
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("07,15,") << QStringLiteral("07,15,")
                                << QStringList{QStringLiteral("7"), QStringLiteral("15")};
        QTest::newRow("123 shows 12") << QStringLiteral("123") << QStringList{QStringLiteral("12")};
        QTest::newRow("-1,") << QStringLiteral("-1,") << QStringList{QStringLiteral("-1")};
        QTest::newRow(".5,") << QStringLiteral(".5,") << QStringList{QStringLiteral("0.5")};
        QTest::newRow("no digits") << QStringLiteral("ab,") << QStringList{QStringLiteral("0")};
        QTest::newRow("empty") << QString() << QStringList{};
        QTest::newRow("seven fields do not fail")
            << QStringLiteral("01,02,03,04,05,06,07,")
            << QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                           QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("6"),
                           QStringLiteral("7")};
    }
    void command1Texts()
    {
        QFETCH(QString, text1);
        QFETCH(QStringList, texts);
        QCOMPARE(MacroCommand::command1Texts(text1), texts);
    }
};

TARNWICK_TEST_MAIN(TestMacroCommand)
#include "tst_macrocommand.moc"
