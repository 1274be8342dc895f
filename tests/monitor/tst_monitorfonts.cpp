// The monitor window keeps its designed look whatever the desktop's font: every caption fits
// the place the layout gives it, on one line.
#include "ColorButton.h"
#include "LampLabel.h"
#include "MonitorFixture.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QGroupBox>

using namespace Qt::StringLiterals;

namespace {

// True when the text fits the widget's contents on one line.
bool fits(const QWidget *widget, const QString &text, int margin = 0)
{
    return widget->fontMetrics().horizontalAdvance(text) + margin <= widget->contentsRect().width();
}

} // namespace

class TestMonitorFonts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_desktopFont = QApplication::font(); }
    void cleanup() { QApplication::setFont(m_desktopFont); }

    void captionsFitAtAnyDesktopFont_data()
    {
        QTest::addColumn<int>("points");
        for (int points : {8, 9, 11, 14, 20})
            QTest::addRow("%d pt", points) << points;
    }
    void captionsFitAtAnyDesktopFont()
    {
        QFETCH(int, points);
        QFont desktop = QApplication::font();
        desktop.setPointSize(points);
        QApplication::setFont(desktop);
        MonitorFixture f;
        frmMonitor &window = f.load();
        window.show();

        for (const char *name : {"Label7", "Label8", "Label3", "Label1", "Label9", "Label12",
                                 "Label10", "Label11", "Label18"}) {
            auto *label = f.child<QLabel>(QString::fromLatin1(name));
            QVERIFY2(fits(label, label->text()), name);
        }
        for (QLabel *lamp : window.w.LblStatus)
            QVERIFY2(fits(lamp, lamp->text()), qPrintable(lamp->text()));
        // A button's caption needs room for its frame as well.
        for (ColorButton *button : window.w.cmdMacro)
            QVERIFY2(fits(button, button->text(), 4), qPrintable(button->text()));
        for (const auto &bank : window.w.cmdRelay)
            for (ColorButton *button : bank)
                QVERIFY2(fits(button, button->text(), 4), qPrintable(button->text()));
        // Group titles stay above their frame's first row.
        for (QGroupBox *group : {window.w.Frame6, window.w.Frame4, window.w.Frame3})
            QVERIFY2(group->fontMetrics().height() <= group->findChildren<QWidget *>().first()->y(),
                     qPrintable(group->title()));
        QCOMPARE(window.w.Label9->fontInfo().pixelSize(), window.w.Label7->fontInfo().pixelSize());
    }

private:
    QFont m_desktopFont;
};

TARNWICK_TEST_MAIN(TestMonitorFonts)
#include "tst_monitorfonts.moc"
