// Every program's --help and --version, as a new user first types them: the text on standard
// output and exit status 0, with no display, no port opened and the settings folder left as
// empty as it was; and every option --help names is in the program's manual page.
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

class TestCommandLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void askedForATextItIsPrintedAndNothingStarts_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("printed"); // what the output begins or ends with
        const QString version = u"" TARNWICK_VERSION ""_s;
        const struct
        {
            const char *name;
            QString path;
        } programs[] = {{"tarnwick", u"" TARNWICK_PROGRAM ""_s},
                        {"tarnwick-board", u"" TARNWICK_BOARD ""_s},
                        {"tarnwick-ctl", u"" TARNWICK_CTL ""_s},
                        {"tarnwickd", u"" TARNWICK_SERVICE ""_s}};
        for (const auto &program : programs) {
            const QString name = QString::fromLatin1(program.name);
            QTest::addRow("%s --help", program.name) << program.path << u"--help"_s << u"Usage: "_s;
            QTest::addRow("%s --version", program.name)
                << program.path << u"--version"_s << name + u" "_s + version + u"\n"_s;
        }
        // Qt's programs take --help-all too; tarnwick-ctl, a plain client, calls it unknown.
        for (const auto &program : programs)
            if (QByteArrayView(program.name) != "tarnwick-ctl")
                QTest::addRow("%s --help-all", program.name)
                    << program.path << u"--help-all"_s << u"Usage: "_s;
        QTest::addRow("tarnwick -h") << u"" TARNWICK_PROGRAM ""_s << u"-h"_s << u"Usage: "_s;
        QTest::addRow("tarnwick -v")
            << u"" TARNWICK_PROGRAM ""_s << u"-v"_s << u"tarnwick "_s + version + u"\n"_s;
    }

    void askedForATextItIsPrintedAndNothingStarts()
    {
        QFETCH(QString, program);
        QFETCH(QString, argument);
        QFETCH(QString, printed);
        QTemporaryDir config;
        QTemporaryDir home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
            environment.remove(name);
        environment.insert(u"XDG_CONFIG_HOME"_s, config.path());
        environment.insert(u"HOME"_s, home.path());
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(program, {argument});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput());
        if (printed.startsWith(u"Usage: "_s))
            QVERIFY2(output.startsWith(printed) && output.contains(u"--version"_s),
                     qPrintable(output));
        else
            QCOMPARE(output, printed);
        QCOMPARE(
            QDir(config.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
        QCOMPARE(
            QDir(home.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList());
    }

    // Every option a program's --help names is in its manual page.
    void theManualPageListsEveryOption_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("page");
        const QString man = u"" TARNWICK_SOURCE "/man/"_s;
        QTest::newRow("tarnwick") << u"" TARNWICK_PROGRAM ""_s << man + u"tarnwick.1"_s;
        QTest::newRow("tarnwick-board") << u"" TARNWICK_BOARD ""_s << man + u"tarnwick-board.1"_s;
        QTest::newRow("tarnwick-ctl") << u"" TARNWICK_CTL ""_s << man + u"tarnwick-ctl.1"_s;
        QTest::newRow("tarnwickd") << u"" TARNWICK_SERVICE ""_s << man + u"tarnwickd.1"_s;
    }

    void theManualPageListsEveryOption()
    {
        QFETCH(QString, program);
        QFETCH(QString, page);
        QProcess process;
        process.start(program, {u"--help"_s});
        QVERIFY(process.waitForFinished(30000));
        const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString manual = QString::fromUtf8(file.readAll());
        static const QRegularExpression option(u"(?<![\\w-])--[a-z][a-z-]*"_s);
        QStringList options;
        for (const QRegularExpressionMatch &match : option.globalMatch(help))
            options << match.captured();
        options.removeDuplicates();
        QVERIFY(options.contains(u"--help"_s) && options.contains(u"--version"_s));
        for (const QString &name : options) {
            QString escaped = name;
            escaped.replace(u"-"_s, u"\\-"_s); // as roff writes it: \-\-help
            QVERIFY2(manual.contains(escaped), qPrintable(page + u" lacks "_s + name));
        }
    }
};

TARNWICK_TEST_MAIN(TestCommandLines)
#include "tst_commandlines.moc"
