// The "General Labels", "Macros A" and "Macros B" tabs: every keystroke relabels the monitor
// window and reaches the store; the string boxes hold the macros' relay lists.
#include "MacrosPage.h"
#include "SetupFixture.h"
#include "TestMain.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct NamesFixture : SetupFixture
{
    NamesFixture()
    {
        start();
        open();
        // "Macros B" makes its boxes when the user first turns to it.
        auto *tabs = field<QTabWidget>(u"SSTab1"_s);
        const int first = tabs->currentIndex();
        tabs->setCurrentIndex(4);
        tabs->setCurrentIndex(first);
    }
    QLineEdit *box(const QString &name) const { return field<QLineEdit>(name); }
    QString macroCaption(int n) const { return window->w.cmdMacro[n]->text(); }

    // Replaces the box's text keystroke by keystroke, checking `shown` after each.
    template<typename Shown>
    static void typeOver(QLineEdit *box, const QString &text, Shown shown)
    {
        box->selectAll();
        for (qsizetype i = 0; i < text.size(); ++i) {
            QTest::keyClick(box, text[i].toLatin1());
            QCOMPARE(shown(), text.left(i + 1));
        }
    }
};

} // namespace

class TestNamePages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshSettingsShowTheDefaultNamesAndNoStrings()
    {
        NamesFixture f;
        for (int n = 0; n < 32; ++n) {
            QCOMPARE(f.box(u"MacroName_%1"_s.arg(n))->text(), u"Macro%1"_s.arg(n + 1));
            QCOMPARE(f.macroCaption(n), u"Macro%1"_s.arg(n + 1));
            QCOMPARE(f.box(u"OnString_%1"_s.arg(n))->text(), QString());
            QCOMPARE(f.box(u"OffString_%1"_s.arg(n))->text(), QString());
        }
        for (int k = 0; k < 8; ++k)
            QCOMPARE(f.box(u"DigStatusName_%1"_s.arg(k))->text(), u"Input %1"_s.arg(k + 1));
        QCOMPARE(f.box(u"TxtSlider_0"_s)->text(), u"An Out 1"_s);
        QCOMPARE(f.box(u"TxtSlider_1"_s)->text(), u"An Out 2"_s);
    }

    void rowsSitOnTheirTabsInOrder()
    {
        NamesFixture f;
        auto *tabs = f.field<QTabWidget>(u"SSTab1"_s);
        for (int n = 0; n < 32; ++n) {
            QWidget *page = tabs->widget(n < 16 ? 3 : 4);
            for (const QString &name : {u"MacroName_%1"_s, u"OnString_%1"_s, u"OffString_%1"_s})
                QVERIFY(page->isAncestorOf(f.box(name.arg(n))));
        }
        // The number column: 01 to 16 and 17 to 32.
        QStringList numbers;
        for (QWidget *page : {tabs->widget(3), tabs->widget(4)})
            for (QLabel *label : page->findChildren<QLabel *>())
                if (label->buddy())
                    numbers << label->text();
        QCOMPARE(numbers.size(), 32);
        QCOMPARE(numbers.first(), u"01"_s);
        QCOMPARE(numbers[15], u"16"_s);
        QCOMPARE(numbers[16], u"17"_s);
        QCOMPARE(numbers.last(), u"32"_s);
    }

    // The two output-name boxes stand under the first two input-name boxes, as wide.
    void outputBoxesLineUpWithTheInputBoxes()
    {
        NamesFixture f;
        auto *tabs = f.field<QTabWidget>(u"SSTab1"_s);
        QLineEdit *firstInput = f.box(u"DigStatusName_0"_s);
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(firstInput))
                tabs->setCurrentIndex(i);
        tabs->window()->show();
        QVERIFY(QTest::qWaitForWindowExposed(tabs->window()));
        QWidget *page = tabs->currentWidget();
        for (int k = 0; k < 2; ++k) {
            const auto place = [page](QWidget *box) {
                return QRect(box->mapTo(page, QPoint(0, 0)), box->size());
            };
            const QRect input = place(f.box(u"DigStatusName_%1"_s.arg(k)));
            const QRect output = place(f.box(u"TxtSlider_%1"_s.arg(k)));
            QCOMPARE(output.left(), input.left());
            QCOMPARE(output.width(), input.width());
            QVERIFY(output.top() > input.bottom());
        }
    }

    void inputNameRelabelsItsLampAndStoresOnlyItsKey()
    {
        NamesFixture f;
        f.store.clearLog();
        NamesFixture::typeOver(f.box(u"DigStatusName_0"_s), u"Pump"_s,
                               [&] { return f.text(u"LblStatus_0"_s); });
        QCOMPARE(f.stored(Keys::DigStatusName, 0), u"Pump"_s);
        QCOMPARE(f.savedKeys(), QStringList(4, u"DigStatusName0"_s));
        QCOMPARE(f.text(u"LblStatus_1"_s), u"Input 2"_s);
    }

    void outputNamesRelabelTheSliders()
    {
        NamesFixture f;
        f.store.clearLog();
        NamesFixture::typeOver(f.box(u"TxtSlider_1"_s), u"Fan"_s,
                               [&] { return f.text(u"Label12"_s); });
        QCOMPARE(f.stored(Keys::AnalogOut2), u"Fan"_s);
        QCOMPARE(f.savedKeys(), QStringList(3, u"AnalogOut2"_s));
        QCOMPARE(f.text(u"Label9"_s), u"An Out 1"_s);
    }

    void firstBoxOfMacrosBRelabelsMacro17()
    {
        NamesFixture f;
        auto *page = qobject_cast<MacrosPage *>(f.field<QTabWidget>(u"SSTab1"_s)->widget(4));
        QVERIFY(page);
        QLineEdit *first = page->MacroName(page->first());
        QCOMPARE(first, f.box(u"MacroName_16"_s));
        NamesFixture::typeOver(first, u"Fill"_s, [&] { return f.macroCaption(16); });
        QCOMPARE(f.stored(Keys::MacroName, 16), u"Fill"_s);
        QCOMPARE(f.macroCaption(15), u"Macro16"_s);
        QVERIFY(f.closeDialog());
        f.open();
        f.field<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(4);
        QCOMPARE(f.box(u"MacroName_16"_s)->text(), u"Fill"_s);
    }

    void clearedMacroNameIsStoredEmpty()
    {
        NamesFixture f;
        f.box(u"MacroName_0"_s)->clear();
        QCOMPARE(f.macroCaption(0), QString());
        QVERIFY(
            f.store.contains(SettingsKeys::application, SettingsKeys::section, u"MacroName0"_s));
        QCOMPARE(f.stored(Keys::MacroName, 0), QString());
    }

    void stringsAreStoredWithEveryKeystroke()
    {
        NamesFixture f;
        f.store.clearLog();
        QTest::keyClicks(f.box(u"OnString_31"_s), u"63,"_s);
        QTest::keyClicks(f.box(u"OffString_0"_s), u"01"_s);
        QCOMPARE(f.stored(Keys::OnString, 31), u"63,"_s);
        QCOMPARE(f.stored(Keys::OffString, 0), u"01"_s);
        QCOMPARE(f.savedKeys(), (QStringList{u"OnString31"_s, u"OnString31"_s, u"OnString31"_s,
                                             u"OffString0"_s, u"OffString0"_s}));
    }

    void onStringTypedForMacro5IsUsedByTheNextClick()
    {
        SetupFixture f;
        f.start();
        f.poll(FrameBuilder{}.frame()); // every relay reported off
        f.open();
        QTest::keyClicks(f.field<QLineEdit>(u"OnString_4"_s), u"00,"_s);
        QCOMPARE(f.stored(Keys::OnString, 4), u"00,"_s); // there before any save-all
        QVERIFY(f.closeDialog());
        f.port.clearLog();
        f.window->w.cmdMacro[4]->click();
        QCOMPARE(f.port.writes(), QList<QByteArray>{QByteArray::fromHex("244130010D")});
    }

    void loadAllWithTheSameTextsWritesNoString()
    {
        NamesFixture f;
        QTest::keyClicks(f.box(u"OnString_3"_s), u"05,"_s);
        f.store.clearLog();
        f.window->preferences().GetPreferences();
        QVERIFY(f.store.saves().isEmpty());
        QCOMPARE(f.box(u"OnString_3"_s)->text(), u"05,"_s);
    }

    void loadAllPutsStoredStringsIntoTheOpenDialog()
    {
        NamesFixture f;
        f.preset(Keys::OffString, u"07,08,"_s, 20);
        f.window->preferences().GetPreferences();
        QCOMPARE(f.box(u"OffString_20"_s)->text(), u"07,08,"_s);
    }

    void longTextsAreKeptWhole()
    {
        const QString longList = u"01,"_s.repeated(20000);
        const QString longName = u"N"_s.repeated(40000);
        SetupFixture f;
        f.preset(Keys::OnString, longList, 2);
        f.preset(Keys::MacroName, longName, 2);
        f.start();
        f.open();
        QCOMPARE(f.field<QLineEdit>(u"OnString_2"_s)->text(), longList);
        QCOMPARE(f.field<QLineEdit>(u"MacroName_2"_s)->text(), longName);
        QVERIFY(f.closeDialog());
        QCOMPARE(f.stored(Keys::OnString, 2), longList);
        QCOMPARE(f.stored(Keys::MacroName, 2), longName);
    }
};

TARNWICK_TEST_MAIN(TestNamePages)
#include "tst_namepages.moc"
