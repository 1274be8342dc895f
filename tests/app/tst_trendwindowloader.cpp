// The trend window comes from a module the program loads when the window is first asked
// for: it opens from the real module, a missing or foreign library is refused with its
// reason, and everything the module takes from the program is exported by the program.
#include "MonitorFixture.h"
#include "TestMain.h"
#include "TrendHistory.h"
#include "TrendWindowLoader.h"

#include <QLibraryInfo>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

namespace {

QStringList run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError())
        .split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

class TestTrendWindowLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensFromTheModule()
    {
        MonitorFixture f;
        frmMonitor &monitor = f.load();
        TrendHistory history(monitor.core());
        TrendWindowLoader loader(
            {u"/nonexistent/tarnwick-trends.so"_s, QStringLiteral(TARNWICK_TRENDS_MODULE)});
        QString problem;
        QVERIFY2(loader.open(history, monitor.w.AGauge1, &problem), qPrintable(problem));
        QWidget *window = loader.window();
        QVERIFY(window);
        QCOMPARE(window->objectName(), u"TrendWindow"_s);
        QVERIFY(window->isVisible());
        window->hide();
        QVERIFY(loader.open(history, monitor.w.AGauge1, &problem));
        QCOMPARE(loader.window(), window); // made once
        QVERIFY(window->isVisible());
    }

    void refusesWhatIsNotTheModule_data()
    {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << u"/nonexistent/tarnwick-trends.so"_s << u"is not installed"_s;
        QTest::newRow("another library")
            << QLibraryInfo::path(QLibraryInfo::LibrariesPath) + u"/libQt6Core.so.6"_s
            << u"is not the trend window"_s;
    }
    void refusesWhatIsNotTheModule()
    {
        QFETCH(QString, place);
        QFETCH(QString, reason);
        MonitorFixture f;
        frmMonitor &monitor = f.load();
        TrendHistory history(monitor.core());
        TrendWindowLoader loader({place});
        QString problem;
        QVERIFY(!loader.open(history, monitor.w.AGauge1, &problem));
        QVERIFY2(problem.contains(reason), qPrintable(problem));
        QVERIFY(!loader.window());
    }

    // The module finds in its own libraries all it calls but a few functions of the
    // program's; the program must export every one of those, or the window would not open
    // in the installed panel.
    void theProgramExportsWhatTheModuleTakes()
    {
        QSet<QString> wanted;
        for (const QString &line :
             run(u"ldd"_s, {u"-r"_s, QStringLiteral(TARNWICK_TRENDS_MODULE)})) {
            static const QString mark = u"undefined symbol: "_s;
            if (const qsizetype at = line.indexOf(mark); at >= 0)
                wanted.insert(line.mid(at + mark.size()).section(u'\t', 0, 0).trimmed());
        }
        QSet<QString> exported;
        for (const QString &line :
             run(u"nm"_s, {u"-D"_s, u"--defined-only"_s, QStringLiteral(TARNWICK_PROGRAM)}))
            exported.insert(line.section(u' ', 2, 2));
        QVERIFY(!exported.isEmpty());
        wanted.subtract(exported);
        QVERIFY2(wanted.isEmpty(),
                 qPrintable(QStringList(wanted.cbegin(), wanted.cend()).join(u", ")));
    }
};

TARNWICK_TEST_MAIN(TestTrendWindowLoader)
#include "tst_trendwindowloader.moc"
