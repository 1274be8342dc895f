// The monitor window from the keyboard: Tab stops only on what the view shows, read through
// the accessibility interface as a screen reader follows the focus, and the focus mark on
// the relay and macro buttons stands out on any face.
#include "ColorButton.h"
#include "MonitorFixture.h"
#include "MonitorLayout.h"
#include "TestMain.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The names of the focus's stops, in order, from `first` until Tab (or Shift+Tab) comes back
// to it; empty when it never does within `limit` presses.
QStringList tabStops(QWidget *first, Qt::Key key, int limit = 400)
{
    QStringList stops;
    first->setFocus(Qt::TabFocusReason);
    if (!QTest::qWaitFor([&] { return first->hasFocus(); }))
        return {};
    QWidget *at = first;
    do {
        stops << QAccessible::queryAccessibleInterface(at)->text(QAccessible::Name);
        QTest::keyClick(at, key);
        at = QApplication::focusWidget();
        if (!at || --limit == 0)
            return {};
    } while (at != first);
    return stops;
}

bool isRelay(const QString &name)
{
    return name.size() <= 3 && name.startsWith(u'R') && name.mid(1).toInt() > 0;
}

} // namespace

class TestMonitorKeyboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tabStopsOnlyOnWhatTheViewShows_data()
    {
        QTest::addColumn<bool>("diagnostic");
        QTest::addColumn<int>("relays");
        QTest::newRow("Normal") << false << 32;
        QTest::newRow("Diagnostic") << true << 64;
    }
    void tabStopsOnlyOnWhatTheViewShows()
    {
        QFETCH(bool, diagnostic);
        QFETCH(int, relays);
        MonitorFixture f;
        frmMonitor &window = f.load();
        window.poll().Timer1->stop();
        if (diagnostic)
            window.mnuDiag_Click();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        const QStringList forward = tabStops(window.w.cmdMacro[0], Qt::Key_Tab);
        QVERIFY(!forward.isEmpty());
        QStringList shownRelays;
        for (const QString &stop : forward)
            if (isRelay(stop))
                shownRelays << stop;
        QCOMPARE(shownRelays.size(), relays);
        QCOMPARE(shownRelays.first(), u"R1"_s);
        QCOMPARE(shownRelays.last(), u"R%1"_s.arg(relays));
        // 32 macros, two sliders and three check boxes besides; the debug strip, below both
        // views, never.
        QCOMPARE(forward.size(), relays + 32 + 2 + 3);
        for (const QString &hidden : {u"Relay list"_s, u"Field 1"_s, u"Cmd"_s})
            QVERIFY2(!forward.contains(hidden), qPrintable(hidden));
        // Every stop lies in the view.
        QWidget *viewport = window.centralWidget();
        for (QWidget *control : window.findChildren<QWidget *>())
            if (control->focusPolicy() & Qt::TabFocus && control->isVisibleTo(&window))
                QVERIFY2(viewport->rect().intersects(
                             QRect(control->mapTo(viewport, QPoint(0, 0)), control->size())),
                         qPrintable(control->objectName()));

        // Shift+Tab walks the same stops backwards.
        QStringList backward = tabStops(window.w.cmdMacro[0], Qt::Key_Backtab);
        std::reverse(backward.begin() + 1, backward.end());
        QCOMPARE(backward, forward);
    }

    // A control the view shows again takes the focus as it was made to.
    void aViewThatShowsMoreGivesItsControlsTheirFocusBack()
    {
        MonitorFixture f;
        frmMonitor &window = f.load();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ColorButton *r33 = window.w.cmdRelay[4][0];
        QCOMPARE(r33->focusPolicy(), Qt::NoFocus);
        QCOMPARE(window.w.Text1->focusPolicy(), Qt::NoFocus);
        window.mnuDiag_Click();
        QCOMPARE(r33->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(window.w.Text1->focusPolicy(), Qt::NoFocus);
        window.mnuNorm_Click();
        QCOMPARE(r33->focusPolicy(), Qt::NoFocus);
        QCOMPARE(window.w.cmdRelay[3][7]->focusPolicy(), Qt::StrongFocus);
    }

    // The mark is a solid ring inside the edge, dark on a light face and light on a dark one.
    void focusMarkStandsOutOnEveryFace_data()
    {
        QTest::addColumn<quint32>("face");
        QTest::addColumn<QColor>("mark");
        QTest::newRow("macro blue") << quint32(MonitorLayout::macroColor) << QColor(Qt::black);
        QTest::newRow("design red") << quint32(MonitorLayout::designColor) << QColor(Qt::white);
        QTest::newRow("on green") << quint32(0x0000FF00) << QColor(Qt::black);
        QTest::newRow("dark off") << quint32(0x00400000) << QColor(Qt::white);
    }
    void focusMarkStandsOutOnEveryFace()
    {
        QFETCH(quint32, face);
        QFETCH(QColor, mark);
        QWidget window;
        auto *button = new ColorButton(u"R1"_s, face, &window);
        auto *other = new ColorButton(u"R2"_s, face, &window);
        button->setGeometry(0, 0, 30, 20);
        other->setGeometry(40, 0, 30, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return other->hasFocus(); }));
        const QImage plain = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        button->setFocus();
        QVERIFY(QTest::qWaitFor([&] { return button->hasFocus(); }));
        const QImage focused = button->grab().toImage().convertToFormat(QImage::Format_RGB32);

        // All round the ring, on each side, and not on the caption's middle.
        for (const QPoint &p : {QPoint(15, 3), QPoint(15, 16), QPoint(3, 10), QPoint(26, 10)}) {
            QCOMPARE(focused.pixelColor(p), mark);
            QVERIFY(plain.pixelColor(p) != mark);
        }
        QCOMPARE(focused.pixelColor(1, 10), plain.pixelColor(1, 10)); // the edge stays
        // With TARNWICK_SCREENSHOTS naming a folder, the two faces are saved there, enlarged.
        if (const QString folder = qEnvironmentVariable("TARNWICK_SCREENSHOTS"); !folder.isEmpty())
            for (const auto &[image, state] : {std::pair{plain, "plain"}, {focused, "focused"}})
                QVERIFY(
                    image.scaled(image.size() * 8)
                        .save(u"%1/focus-mark-%2-%3.png"_s.arg(
                            folder, QLatin1String(QTest::currentDataTag()), QLatin1String(state))));
    }
};

TARNWICK_TEST_MAIN(TestMonitorKeyboard)
#include "tst_monitorkeyboard.moc"
