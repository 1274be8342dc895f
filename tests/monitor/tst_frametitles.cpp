// The monitor's frames draw their top line through the middle of their title, so the first
// row of controls inside each stands clear of it, as the layout in twips expects.
#include "MonitorFixture.h"
#include "TestMain.h"

#include <QApplication>
#include <QGroupBox>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFrameTitles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void firstRowStandsClearOfTheTopLine_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("firstChild");
        QTest::addColumn<int>("desktopPoints"); // 0: the platform's own font
        for (const int points : {0, 11}) {
            const QByteArray font = points ? " at 11 pt" : "";
            QTest::newRow("Macros" + font) << u"Frame6"_s << u"cmdMacro_0"_s << points;
            QTest::newRow("Input Status" + font) << u"Frame4"_s << u"LblStatus_0"_s << points;
            QTest::newRow("Relay Status A-D" + font) << u"Frame3"_s << u"cmdRelayA_0"_s << points;
            QTest::newRow("Relay Status E-H" + font) << u"Frame1"_s << u"cmdRelayE_0"_s << points;
        }
    }

    void firstRowStandsClearOfTheTopLine()
    {
        QFETCH(QString, frame);
        QFETCH(QString, firstChild);
        QFETCH(int, desktopPoints);
        const QFont desktop = QApplication::font();
        if (desktopPoints) {
            QFont larger = desktop;
            larger.setPointSize(desktopPoints);
            QApplication::setFont(larger);
        }
        const auto restore = qScopeGuard([&desktop] { QApplication::setFont(desktop); });
        MonitorFixture f;
        f.load();
        auto *box = f.child<QGroupBox>(frame);
        QWidget *child = f.child(firstChild);
        QVERIFY(box && child && box->isAncestorOf(child));

        // Down a column right of the title and of every control: the first pixel that is
        // not the window's colour is the frame's top line.
        const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int x = image.width() - 5;
        const QRgb background = image.pixel(x, 0);
        int line = -1;
        for (int y = 0; y < image.height() && line < 0; ++y)
            if (image.pixel(x, y) != background)
                line = y;
        QVERIFY2(line >= 0, "no frame line found");
        const QFontMetrics metrics(box->font());
        QVERIFY2(line <= metrics.height() / 2 + 2,
                 qPrintable(u"line at %1, title %2 high"_s.arg(line).arg(metrics.height())));
        QVERIFY2(line + 3 <= child->mapTo(box, QPoint(0, 0)).y(),
                 qPrintable(u"line at %1, first row at %2"_s.arg(line).arg(child->y())));
    }
};

TARNWICK_TEST_MAIN(TestFrameTitles)
#include "tst_frametitles.moc"
