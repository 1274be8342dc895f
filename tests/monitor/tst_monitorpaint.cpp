// What the window repaints for a status frame: each widget whose look changed, once, and
// nothing behind it; and what it shows after a run of frames, painted piece by piece, is
// exactly what a fresh paint of the whole window gives.
#include "AGauge.h"
#include "LampLabel.h"
#include "MonitorFixture.h"
#include "MonitorLayout.h"
#include "TestMain.h"

#include <QGroupBox>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <map>

using namespace Qt::StringLiterals;

namespace {

// Counts the paint events each widget receives.
struct PaintLog : QObject
{
    std::map<QObject *, int> paints;
    std::map<QObject *, QRect> areas;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints[watched];
            areas[watched] = static_cast<QPaintEvent *>(event)->region().boundingRect();
        }
        return false;
    }
    int total() const
    {
        int sum = 0;
        for (const auto &[widget, count] : paints)
            sum += count;
        return sum;
    }
};

FrameBuilder everyFieldAt(bool high)
{
    FrameBuilder b;
    for (QByteArray &bank : b.banks)
        bank = high ? "255" : "000";
    for (int m = 0; m < 6; ++m)
        b.meters[std::size_t(m)] =
            QByteArray::number(high ? 200 + m : 20 + m).rightJustified(3, '0');
    b.inputs = high ? "255" : "000";
    b.temperature = high ? "080" : "075";
    b.frequency = high ? "01235" : " 1234";
    return b;
}

} // namespace

class TestMonitorPaint : public QObject
{
    Q_OBJECT

    MonitorFixture f;

    void show(const QByteArray &frame)
    {
        f.port.receive(frame);
        f.window->poll().Timer1_Timer();
        QCoreApplication::processEvents(); // the repaint the event loop does next
    }

private Q_SLOTS:
    void init()
    {
        f.window.reset();
        f.load();
        f.window->poll().Timer1->stop();
        f.window->setOuterHeight(MonitorLayout::diagnosticHeight); // every relay in view
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        // The first frames light the link lamp and settle focus and activation.
        for (int i = 0; i < 4; ++i)
            show(everyFieldAt(false).frame());
    }

    void paintsOnlyWhatChanged_data()
    {
        QTest::addColumn<QByteArray>("next");
        QTest::addColumn<int>("relays");
        QTest::addColumn<int>("lamps");
        QTest::addColumn<int>("gauges");

        QTest::newRow("every field") << everyFieldAt(true).frame() << 64 << 8 << 6;
        QTest::newRow("nothing") << everyFieldAt(false).frame() << 0 << 0 << 0;
        FrameBuilder oneRelay = everyFieldAt(false);
        oneRelay.banks[3] = "004"; // R27
        QTest::newRow("one relay") << oneRelay.frame() << 1 << 0 << 0;
        FrameBuilder oneLamp = everyFieldAt(false);
        oneLamp.inputs = "016"; // input 5
        QTest::newRow("one lamp") << oneLamp.frame() << 0 << 1 << 0;
        FrameBuilder oneNeedle = everyFieldAt(false);
        oneNeedle.meters[4] = "180";
        QTest::newRow("one needle") << oneNeedle.frame() << 0 << 0 << 1;
    }

    void paintsOnlyWhatChanged()
    {
        QFETCH(QByteArray, next);
        QFETCH(int, relays);
        QFETCH(int, lamps);
        QFETCH(int, gauges);

        PaintLog log;
        qApp->installEventFilter(&log);
        show(next);
        qApp->removeEventFilter(&log);

        const auto count = [&log](auto widgets) {
            int painted = 0;
            for (QObject *widget : widgets) {
                const int n = log.paints.count(widget) ? log.paints.at(widget) : 0;
                if (n > 1)
                    qWarning() << widget << "painted" << n << "times";
                painted += n == 1 ? 1 : n * 100; // twice counts as a fault, not as two
            }
            return painted;
        };
        QCOMPARE(count(f.window->findChildren<ColorButton *>(QRegularExpression(u"^cmdRelay"_s))),
                 relays);
        QCOMPARE(count(f.window->findChildren<LampLabel *>()), lamps);
        QCOMPARE(count(f.window->findChildren<AGauge *>()), gauges);
        // Nothing behind them: no frame, no window background.
        QCOMPARE(count(f.window->findChildren<QGroupBox *>()), 0);
        QCOMPARE(log.paints.count(f.window.get()), 0u);
        QCOMPARE(log.paints.count(f.window->centralWidget()), 0u);
        if (QByteArrayView(QTest::currentDataTag()) == "nothing") {
            QCOMPARE(log.total(), 0);
        }
    }

    void aMovedNeedleRepaintsLessThanItsGauge()
    {
        FrameBuilder next = everyFieldAt(false);
        next.meters[1] = "060";
        PaintLog log;
        qApp->installEventFilter(&log);
        show(next.frame());
        qApp->removeEventFilter(&log);
        AGauge *gauge = f.window->w.AGauge1[1];
        QCOMPARE(log.paints.count(gauge), 1u);
        const QRect area = log.areas.at(gauge);
        QVERIFY2(area.width() * area.height() < gauge->width() * gauge->height() / 2,
                 qPrintable(u"%1x%2 of %3x%4"_s.arg(area.width())
                                .arg(area.height())
                                .arg(gauge->width())
                                .arg(gauge->height())));
    }

    // The screen after each frame, built from the pieces repainted so far, against a whole
    // new paint of the window in the same state.
    void screenEqualsAFreshPaint_data()
    {
        QTest::addColumn<QList<QByteArray>>("frames");
        QList<QByteArray> walk;
        for (const char *meter : {"000", "128", "255", "999", "255", "000", "060"}) {
            FrameBuilder b = everyFieldAt(walk.size() % 2 == 0);
            for (QByteArray &m : b.meters)
                m = meter;
            b.banks[walk.size() % 8] = "085"; // alternating relays in one bank
            walk << b.frame();
        }
        QTest::newRow("needles across the scale and beyond") << walk;
        QList<QByteArray> flips;
        for (int i = 0; i < 6; ++i)
            flips << everyFieldAt(i % 2 == 1).frame();
        QTest::newRow("everything flipping") << flips;
    }

    void screenEqualsAFreshPaint()
    {
        QFETCH(QList<QByteArray>, frames);
        for (const QByteArray &frame : frames) {
            show(frame);
            QVERIFY2(screenIsFresh(), frame.constData());
        }
    }

    // The Normal view ends above banks E to H: frames change them unseen, and the
    // Diagnostic view then shows each in the colour of the last frame.
    void relaysOutOfViewShowTheirStateWhenInView()
    {
        f.window->setOuterHeight(MonitorLayout::normalHeight);
        ColorButton *hidden = f.window->w.cmdRelay[7][7]; // R64
        QTRY_VERIFY(hidden->visibleRegion().isEmpty());
        for (const bool high : {true, false, true})
            show(everyFieldAt(high).frame());
        f.window->setOuterHeight(MonitorLayout::diagnosticHeight);
        QTRY_VERIFY(!hidden->visibleRegion().isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(hidden->backColor(), f.window->onColor());
        QVERIFY(screenIsFresh());
    }

    // A dialog disables the window while it is open: the board's display reads exactly as
    // it did, lamps, relays and gauges alike, and after the dialog as before it.
    void displayLooksTheSameWhileTheWindowIsDisabled()
    {
        show(everyFieldAt(true).frame());
        std::vector<QWidget *> display;
        for (QWidget *gauge : f.window->w.AGauge1)
            display.push_back(gauge);
        for (QWidget *lamp : f.window->w.LblStatus)
            display.push_back(lamp);
        for (const auto &bank : f.window->w.cmdRelay)
            display.insert(display.end(), bank.begin(), bank.end());
        const auto pictures = [&] {
            QList<QImage> images;
            for (QWidget *widget : display)
                images << widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
            return images;
        };
        const QList<QImage> enabled = pictures();
        f.window->setEnabled(false);
        show(everyFieldAt(false).frame());
        show(everyFieldAt(true).frame());
        const QList<QImage> disabled = pictures();
        f.window->setEnabled(true);
        for (qsizetype i = 0; i < enabled.size(); ++i)
            QVERIFY2(disabled[i] == enabled[i], qPrintable(display[std::size_t(i)]->objectName()));
        QCOMPARE(pictures(), enabled);
    }

private:
    bool screenIsFresh() const
    {
        const QImage screen = f.window->screen()
                                  ->grabWindow(f.window->winId())
                                  .toImage()
                                  .convertToFormat(QImage::Format_RGB32);
        const QImage fresh = f.window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return screen.size() == fresh.size() && screen == fresh;
    }
};

TARNWICK_TEST_MAIN(TestMonitorPaint)
#include "tst_monitorpaint.moc"
