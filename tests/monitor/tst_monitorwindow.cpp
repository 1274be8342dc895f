#include "AGauge.h"
#include "MonitorFixture.h"
#include "NumberText.h"
#include "TestMain.h"
#include "Twips.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>

using namespace Qt::StringLiterals;

namespace {

// A widget's place on the client area, in twips.
QRect placeInTwips(QWidget *widget, QWidget *client)
{
    const QPoint topLeft = widget->mapTo(client, QPoint(0, 0));
    return {int(Twips::fromPixels(topLeft.x())), int(Twips::fromPixels(topLeft.y())),
            int(Twips::fromPixels(widget->width())), int(Twips::fromPixels(widget->height()))};
}

QRect twips(int left, int top, int width, int height)
{
    // Twips round to whole pixels: compare in pixels, back in twips.
    const QRect pixels = Twips::rect(left, top, width, height);
    return {int(Twips::fromPixels(pixels.x())), int(Twips::fromPixels(pixels.y())),
            int(Twips::fromPixels(pixels.width())), int(Twips::fromPixels(pixels.height()))};
}

QColor pixelAt(QWidget *widget, QPoint point)
{
    return widget->grab().toImage().pixelColor(point * widget->devicePixelRatioF());
}

} // namespace

class TestMonitorWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void elementsAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("Frame6") << u"Frame6"_s << twips(240, 120, 4935, 4335);
        QTest::newRow("AGauge1_0") << u"AGauge1_0"_s << twips(5280, 240, 1575, 855);
        QTest::newRow("AGauge1_2") << u"AGauge1_2"_s << twips(8640, 240, 1575, 855);
        QTest::newRow("AGauge1_4") << u"AGauge1_4"_s << twips(6960, 1200, 1575, 855);
        QTest::newRow("LabelFreq") << u"LabelFreq"_s << twips(5280, 2280, 1095, 495);
        QTest::newRow("LabelTemp") << u"LabelTemp"_s << twips(6480, 2280, 855, 495);
        QTest::newRow("Check4") << u"Check4"_s << twips(7920, 2400, 255, 255);
        QTest::newRow("chkOnTop") << u"chkOnTop"_s << twips(9000, 2400, 255, 255);
        QTest::newRow("chkWDT") << u"chkWDT"_s << twips(9960, 2400, 255, 255);
        QTest::newRow("Picture2") << u"Picture2"_s << twips(11280, 2400, 255, 255);
        QTest::newRow("Picture5") << u"Picture5"_s << twips(11280, 2400, 255, 255);
        QTest::newRow("Frame4") << u"Frame4"_s << twips(5280, 2760, 2055, 1680);
        QTest::newRow("Frame3") << u"Frame3"_s << twips(7560, 2760, 4095, 1695);
        QTest::newRow("Label2") << u"Label2"_s << twips(240, 5040, 7215, 1335);
        QTest::newRow("Frame1") << u"Frame1"_s << twips(7560, 4680, 4095, 1695);
    }
    void elementsAtTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        MonitorFixture f;
        f.create();
        QWidget *client = f.child(u"Frame6"_s)->parentWidget();
        QCOMPARE(placeInTwips(f.child(name), client), place);
    }

    void buttonsInRowsAndCaptions()
    {
        MonitorFixture f;
        f.create();
        QWidget *client = f.child(u"Frame6"_s)->parentWidget();
        // Relays: rows 360 twips apart, buttons 480 apart, 450 x 300 each.
        const QRect r1 = placeInTwips(f.relay('A', 0), client);
        QCOMPARE(placeInTwips(f.relay('A', 1), client).left() - r1.left(), 480);
        QCOMPARE(placeInTwips(f.relay('B', 0), client).top() - r1.top(), 360);
        QCOMPARE(r1.size(), twips(0, 0, 450, 300).size());
        QCOMPARE(f.relay('A', 0)->text(), u"R1"_s);
        QCOMPARE(f.relay('B', 7)->text(), u"R16"_s);
        QCOMPARE(f.relay('H', 7)->text(), u"R64"_s);
        QCOMPARE(f.relay('E', 0)->parentWidget(), f.child(u"Frame1"_s));
        // Macros: eight rows of four, index i at row i / 4, column i % 4.
        auto *m5 = f.child<ColorButton>(u"cmdMacro_5"_s);
        QCOMPARE(m5->text(), u"Macro6"_s);
        QVERIFY(placeInTwips(m5, client).top() >
                placeInTwips(f.child(u"cmdMacro_3"_s), client).top());
        QCOMPARE(placeInTwips(m5, client).left(),
                 placeInTwips(f.child(u"cmdMacro_1"_s), client).left());
        QCOMPARE(m5->backColor(), 16761024u);
        QCOMPARE(f.text(u"LblStatus_0"_s), u"Input 1"_s);
        QCOMPARE(f.text(u"Label9"_s), u"Out 1"_s);
        QCOMPARE(f.text(u"Label10"_s), u"0.00"_s);
        QCOMPARE(f.child<QGroupBox>(u"Frame4"_s)->title(), u"Input Status"_s);
        QCOMPARE(f.child<QGroupBox>(u"Frame3"_s)->title(), u"Relay Status"_s);
        QCOMPARE(f.child<QPushButton>(u"Command1"_s)->text(), u"Cmd"_s);
    }

    void menuBar()
    {
        MonitorFixture f;
        f.create();
        QStringList titles;
        for (QAction *action : f.window->menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles,
                 QStringList({u"&File"_s, u"&Setup"_s, u"&View"_s, u"&Tools"_s, u"&Help"_s}));
        QCOMPARE(f.window->mnuExit->text(), u"&Exit"_s);
        QCOMPARE(f.window->mnuNorm->text(), u"&Normal"_s);
        QCOMPARE(f.window->mnuDiag->text(), u"&Diagnostic"_s);
        QCOMPARE(f.window->mnuHelpContents->text(), u"&Contents"_s);
        QCOMPARE(f.window->mnuHelpAbout->text(), u"&About"_s);
        QCOMPARE(f.window->mnuRecord->text(), u"Start &Recording..."_s);
        QCOMPARE(f.window->mnuTrends->text(), u"&Trends"_s);
        QVERIFY(!f.window->mnuRecordStatus->isEnabled());
        for (QAction *action : f.window->findChildren<QAction *>())
            QVERIFY(!action->isChecked());
    }

    void helpOpensAtItsContents()
    {
        MonitorFixture f;
        frmMonitor &w = f.load();
        QVERIFY(w.mnuHelpContents->isEnabled());
        w.mnuHelpContents->trigger();
        QCOMPARE(f.help.shown, QList<QUrl>{QUrl(u"qrc:/help/index.html"_s)});
        QVERIFY(QFile::exists(u":/help/index.html"_s)); // the pages are built in
    }

    void viewsShowTheirBands()
    {
        MonitorFixture f;
        frmMonitor &w = f.load();
        w.show();
        auto clientTwips = [&] {
            return Twips::fromPixels(w.centralWidget()->height());
        };
        QCOMPARE(w.outerHeight(), 5240);
        QCOMPARE(clientTwips(), 4530.0); // down to the relay frame A-D and the inputs
        w.mnuDiag->trigger();
        QCOMPARE(w.outerHeight(), 7200);
        QVERIFY(clientTwips() >= 4680 + 1695); // the received string and banks E-H
        QVERIFY(clientTwips() < 7200);         // not the debug strip
        QVERIFY(w.poll().Timer1->isActive());
        w.mnuNorm->trigger();
        QCOMPARE(w.outerHeight(), 5240);
    }

    // The received string shown by the Diagnostic view can be selected with the mouse, as
    // soon as that view shows it.
    void receivedStringSelectableInView()
    {
        MonitorFixture f;
        frmMonitor &w = f.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mnuDiag->trigger();
        QLabel *received = f.child<QLabel>(u"Label2"_s);
        received->setText(u"001,002,003"_s);
        QTRY_VERIFY(received->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
        QTest::mouseDClick(received, Qt::LeftButton, {}, QPoint(8, 8));
        QVERIFY(received->hasSelectedText());
        QVERIFY(u"001,002,003"_s.contains(received->selectedText()));
    }

    void savedDiagnosticHeightStartsThere()
    {
        MonitorFixture f;
        f.preset(Keys::Height, u"7200"_s);
        frmMonitor &w = f.load();
        QCOMPARE(w.outerHeight(), 7200);
        // "&Exit" after "&Normal" stores the view last chosen.
        w.mnuNorm->trigger();
        w.mnuExit->trigger();
        QCOMPARE(f.stored(Keys::Height), u"5240"_s);
    }

    void unloadSavesThenStops()
    {
        MonitorFixture f;
        frmMonitor &w = f.load();
        f.store.clearLog();
        w.close();
        QVERIFY(!f.store.saves().isEmpty());
        QCOMPARE(f.store.saves().first().key, u"Meter-ComPort"_s);
        QCOMPARE(f.store.flushCount(), 1);
        QVERIFY(!w.poll().Timer1->isActive());
        QVERIFY(!w.isEnabled());
    }

    void restoresItsPlace()
    {
        MonitorFixture f;
        f.preset(Keys::PositionLeft, u"1500"_s);
        f.preset(Keys::PositionTop, u"750"_s);
        frmMonitor &w = f.load();
        QCOMPARE(w.pos(), QPoint(100, 50));
        w.close();
        QCOMPARE(f.stored(Keys::PositionLeft), u"1500"_s);
        QCOMPARE(f.stored(Keys::PositionTop), u"750"_s);
    }

    void onTopDuringTheLoadAndLiftedInPlace()
    {
        MonitorFixture f;
        f.preset(Keys::OnTop, u"1"_s);
        f.preset(Keys::PositionLeft, u"300"_s);
        f.preset(Keys::PositionTop, u"450"_s);
        frmMonitor &w = f.create();
        QVERIFY(!w.isVisible());
        w.Form_Load();
        // Shown by the load itself, topmost, at its restored place.
        QVERIFY(w.isVisible());
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        const QPoint place = w.pos();
        const WId native = w.winId();
        QCOMPARE(place, QPoint(20, 30));

        f.child<QCheckBox>(u"chkOnTop"_s)->setChecked(false);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!w.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.pos(), place);
        QCOMPARE(w.winId(), native); // the same window, not a new one
        QVERIFY(w.isVisible());
    }

    void designColoursOnScreen()
    {
        MonitorFixture f;
        f.port.setOpenSucceeds(false);
        frmMonitor &w = f.load();
        ColorButton *r1 = f.relay('A', 0);
        QCOMPARE(pixelAt(r1, QPoint(2, 3)), QColor(192, 0, 0));
        auto *macro = f.child<ColorButton>(u"cmdMacro_0"_s);
        QCOMPARE(pixelAt(macro, QPoint(2, 3)), QColor(192, 192, 255));
        QLabel *lamp = f.child<QLabel>(u"LblStatus_3"_s);
        QCOMPARE(pixelAt(lamp, QPoint(2, 2)), QColor(192, 0, 0));
        QLabel *freq = f.child<QLabel>(u"LabelFreq"_s);
        QCOMPARE(pixelAt(freq, QPoint(2, 2)), QColor(0, 128, 0));
        QVERIFY(w.isEnabled());
    }

    void offColourAfterAGoodStart()
    {
        MonitorFixture f;
        f.load();
        ColorButton *r64 = f.relay('H', 7);
        QCOMPARE(pixelAt(r64, QPoint(2, 3)), QColor(200, 50, 50)); // beside the caption
    }

    void gaugesShowTheirBands()
    {
        MonitorFixture f;
        f.load();
        auto *gauge = f.child<AGauge>(u"AGauge1_4"_s);
        const QImage image = gauge->grab().toImage();
        const qreal ratio = gauge->devicePixelRatioF();
        auto at = [&](double value) {
            return image.pixelColor((gauge->dialPoint(value, 1.0) * ratio).toPoint());
        };
        QCOMPARE(at(1.0), QColor(0, 128, 0));
        QCOMPARE(at(2.75), QColor(255, 255, 0));
        QCOMPARE(at(3.5), QColor(255, 0, 0));
    }

    // Hand-edited values the load cannot use: the start always completes, the window can be
    // used, and the start leaves the stored text as it was.
    void unusableStoredValuesStillStart_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        const SettingsKey numeric[] = {Keys::Height,
                                       Keys::PositionLeft,
                                       Keys::PositionTop,
                                       Keys::TempMode,
                                       Keys::Aout1,
                                       Keys::Aout2,
                                       Keys::OnTop,
                                       Keys::MeterComPort,
                                       Keys::MeterResponse,
                                       Keys::ScaleMinGauge,
                                       Keys::ScaleMaxGauge,
                                       Keys::TicSubCountGauge,
                                       Keys::StopAnnular2Gauge,
                                       Keys::ColorAnnular2Gauge,
                                       Keys::StartAnnular3Gauge,
                                       Keys::Multiplier};
        for (SettingsKey key : numeric)
            for (const char *text : {"abc", "", "-5", "99999999999", "1e308"})
                QTest::addRow("%s=%s", qPrintable(SettingsKeys::keyName(key, 0)), text)
                    << int(key) << QString::fromLatin1(text);
    }
    void unusableStoredValuesStillStart()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        const auto which = SettingsKey(key);
        const int index = SettingsKeys::row(which).range == KeyRange::None ? -1 : 0;
        MonitorFixture f;
        f.preset(which, text, index);
        frmMonitor &w = f.load();
        w.show();

        QVERIFY(w.outerHeight() >= 1440 && w.outerHeight() <= 8390);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.intersects(QRect(w.pos(), QSize(120, 40))), "reachable");
        if (!text.isEmpty()) {                      // the empty text is seeded again at start
            QCOMPARE(f.stored(which, index), text); // the start rewrites nothing
            w.close();
            // The save-all at the end writes a number by the rule from what its holder holds;
            // a text that reads as no number stays as it was.
            if (!NumberText::toDouble(text))
                QCOMPARE(f.stored(which, index), text);
        }
    }
};

TARNWICK_TEST_MAIN(TestMonitorWindow)
#include "tst_monitorwindow.moc"
