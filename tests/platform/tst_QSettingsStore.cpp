#include "QSettingsStore.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString section = u"StartUp"_s;

QString hex(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toHex());
}

QString configHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString iniPath(const QString &application)
{
    return QDir(configHome()).filePath(u"Tarnwick/"_s + application + u".ini"_s);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the probe, a separate process with the same configuration folder.
QStringList runProbe(const QStringList &arguments)
{
    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, configHome());
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(SETTINGS_PROBE), arguments);
    if (!probe.waitForFinished(30'000) || probe.exitStatus() != QProcess::NormalExit ||
        probe.exitCode() != 0) {
        qWarning() << "probe failed:" << probe.errorString() << probe.readAllStandardError();
        return {u"<probe failed>"_s};
    }
    QStringList values;
    const QList<QByteArray> lines = probe.readAllStandardOutput().split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        values << QString::fromUtf8(QByteArray::fromHex(lines[i]));
    return values;
}

// What another process reads for these keys.
QStringList readElsewhere(const QString &application, const QStringList &keys)
{
    QStringList arguments{u"read"_s, hex(application), hex(section)};
    for (const QString &key : keys)
        arguments << hex(key);
    return runProbe(arguments);
}

QString readElsewhere(const QString &application, const QString &key)
{
    const QStringList values = readElsewhere(application, QStringList{key});
    return values.size() == 1 ? values.front() : u"<no answer>"_s;
}

bool writeElsewhere(const QString &application, const QString &key, const QString &value)
{
    return runProbe({u"write"_s, hex(application), hex(section), hex(key), hex(value)}).isEmpty();
}

// A file name of the current data row's own.
QString rowName()
{
    return QString::fromLatin1(QByteArray(QTest::currentDataTag()).toHex());
}

} // namespace

class TestQSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void theFileIsInTheUserConfigFolder();
    void absentKeyReadsEmpty();
    void textSurvivesInAnotherProcess_data();
    void textSurvivesInAnotherProcess();
    void handWrittenValues_data();
    void handWrittenValues();
    void aSingleSaveIsOnDiskAtOnce();
    void aBatchIsOnDiskWhenTheOutermostBatchEnds();
    void handEditedFileKeepsTheOtherKeys_data();
    void handEditedFileKeepsTheOtherKeys();
    void aCleanFileGetsNoCopy();
    void anEarlierCopyIsNeverOverwritten();
};

void TestQSettingsStore::theFileIsInTheUserConfigFolder()
{
    QSettingsStore store;
    store.save(u"Tarnwick"_s, section, u"OnTop"_s, u"1"_s);

    const QString expected = qEnvironmentVariable("XDG_CONFIG_HOME") + u"/Tarnwick/Tarnwick.ini"_s;
    QVERIFY2(QFile::exists(expected), qPrintable(expected));
    QCOMPARE(QFileInfo(store.fileName(u"Tarnwick"_s)).canonicalFilePath(),
             QFileInfo(expected).canonicalFilePath());
    QVERIFY(readFile(expected).contains("[StartUp]\nOnTop=1"));
}

void TestQSettingsStore::absentKeyReadsEmpty()
{
    QSettingsStore store;
    QCOMPARE(store.read(u"Absent"_s, section, u"OnTop"_s), QString());
    store.save(u"Absent"_s, section, u"OnTop"_s, u"1"_s);
    QCOMPARE(store.read(u"Absent"_s, u"Other"_s, u"OnTop"_s), QString());
}

void TestQSettingsStore::textSurvivesInAnotherProcess_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("relay list with commas") << u"OnString0"_s << u"05,12,"_s;
    QTest::newRow("comma only") << u"OffString0"_s << u","_s;
    QTest::newRow("blanks around") << u"Caption-Gauge0"_s << u"  Volts DC  "_s;
    QTest::newRow("single blank") << u"DigStatusName0"_s << u" "_s;
    QTest::newRow("empty") << u"MacroName0"_s << QString();
    QTest::newRow("looks like an invalid variant") << u"MacroName1"_s << u"@Invalid()"_s;
    QTest::newRow("looks like a byte array") << u"MacroName2"_s << u"@ByteArray(x)"_s;
    QTest::newRow("at signs") << u"MacroName3"_s << u"@@"_s;
    QTest::newRow("quotes") << u"MacroName4"_s << u"\"quoted\""_s;
    QTest::newRow("inner quote") << u"MacroName5"_s << u"say \"hi"_s;
    QTest::newRow("backslashes") << u"MacroName6"_s << u"C:\\Temp\\"_s;
    QTest::newRow("escape lookalike") << u"MacroName7"_s << u"\\n\\x41\\0"_s;
    QTest::newRow("non-ASCII") << u"Caption-Gauge1"_s << u"Température °C – Ω µA"_s;
    QTest::newRow("outside the BMP") << u"MacroName8"_s << u"\U0001F642 ok"_s;
    QTest::newRow("semicolon") << u"MacroName9"_s << u"a;b"_s;
    QTest::newRow("hash") << u"MacroName10"_s << u"#1"_s;
    QTest::newRow("equals") << u"MacroName11"_s << u"a=b"_s;
    QTest::newRow("brackets") << u"MacroName12"_s << u"[StartUp]"_s;
    QTest::newRow("line breaks") << u"MacroName13"_s << u"one\ntwo\r\nthree\r"_s;
    QTest::newRow("tab and control") << u"MacroName14"_s << u"a\tb\u0001c\u007f"_s;
    QTest::newRow("percent") << u"MacroName15"_s << u"100%20"_s;
    QTest::newRow("boolean lookalike") << u"MacroName16"_s << u"true"_s;
    QTest::newRow("key with blank") << u"Meter Response"_s << u"200"_s;
    QTest::newRow("decimal") << u"Multiplier0"_s << u"1.0"_s;
}

void TestQSettingsStore::textSurvivesInAnotherProcess()
{
    QFETCH(QString, key);
    QFETCH(QString, value);

    // Written here, read there.
    {
        QSettingsStore store;
        store.save(u"RoundTrip"_s, section, key, u"placeholder"_s);
        store.save(u"RoundTrip"_s, section, key, value);
    }
    QCOMPARE(readElsewhere(u"RoundTrip"_s, key), value);

    // Written there, read here by a store that has not read the file before.
    QVERIFY(writeElsewhere(u"RoundTripBack"_s, key, value));
    QSettingsStore store;
    QCOMPARE(store.read(u"RoundTripBack"_s, section, key), value);
}

// Values a user typed into the file, read as the program reads them.
void TestQSettingsStore::handWrittenValues_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("value");

    QTest::newRow("list without quotes") << "OnString0=05,12,"_ba << u"05,12,"_s;
    QTest::newRow("list in quotes") << "OnString0=\"05,12,\""_ba << u"05,12,"_s;
    QTest::newRow("single item") << "OnString0=05"_ba << u"05"_s;
    QTest::newRow("empty") << "OnString0="_ba << QString();
    QTest::newRow("key with raw blank") << "Meter Response=300"_ba << u"300"_s;
    QTest::newRow("invalid variant") << "OnString0=@Invalid()"_ba << QString();
    QTest::newRow("byte array") << "OnString0=@ByteArray(07)"_ba << u"07"_s;
    // The comma splits first; the items are no longer "@" forms.
    QTest::newRow("byte array with comma")
        << "OnString0=@ByteArray(07,08)"_ba << u"@ByteArray(07,08)"_s;
    QTest::newRow("list with an at item") << "OnString0=05,@Home,07"_ba << u"05,@Home,07"_s;
    QTest::newRow("list with an invalid item") << "OnString0=05,@Invalid(),07"_ba << u"05,,07"_s;
    QTest::newRow("type without text") << "OnString0=@Rect(1 2 3 4)"_ba << QString();
    QTest::newRow("unknown at form") << "OnString0=@Home"_ba << u"@Home"_s;
}

void TestQSettingsStore::handWrittenValues()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, value);

    const QString application = u"HandWritten_"_s + rowName();
    writeFile(iniPath(application), "[StartUp]\n" + line + '\n');
    const QString key = QString::fromUtf8(line.left(line.indexOf('=')));

    QSettingsStore store;
    QCOMPARE(store.read(application, section, key), value);
}

void TestQSettingsStore::aSingleSaveIsOnDiskAtOnce()
{
    QSettingsStore store;
    store.save(u"Single"_s, section, u"Aout1"_s, u"17"_s);
    QCOMPARE(readElsewhere(u"Single"_s, u"Aout1"_s), u"17"_s);
    store.save(u"Single"_s, section, u"Aout1"_s, u"18"_s);
    QCOMPARE(readElsewhere(u"Single"_s, u"Aout1"_s), u"18"_s);
}

void TestQSettingsStore::aBatchIsOnDiskWhenTheOutermostBatchEnds()
{
    QSettingsStore store;
    store.save(u"Batch"_s, section, u"Aout1"_s, u"1"_s);
    {
        const SettingsStore::Batch outer(store);
        {
            const SettingsStore::Batch inner(store);
            store.save(u"Batch"_s, section, u"Aout1"_s, u"200"_s);
            store.save(u"Batch"_s, section, u"Aout2"_s, u"201"_s);
            // The file has not been rewritten yet: the other process still sees the old state.
            QCOMPARE(readElsewhere(u"Batch"_s, {u"Aout1"_s, u"Aout2"_s}),
                     QStringList({u"1"_s, QString()}));
        }
        QCOMPARE(readElsewhere(u"Batch"_s, {u"Aout1"_s, u"Aout2"_s}),
                 QStringList({u"1"_s, QString()}));
        // Within the batch this process reads what it wrote.
        QCOMPARE(store.read(u"Batch"_s, section, u"Aout2"_s), u"201"_s);
    }
    QCOMPARE(readElsewhere(u"Batch"_s, {u"Aout1"_s, u"Aout2"_s}),
             QStringList({u"200"_s, u"201"_s}));
}

// A file the user edited by hand, then one key written by the program: every other key of the
// user's must still be there, read by another process, and whatever the rewrite could not keep
// is in a copy beside the file.
void TestQSettingsStore::handEditedFileKeepsTheOtherKeys_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected"); // key=value after the write of Aout1=7
    QTest::addColumn<bool>("copied");

    const QByteArray tail = "Meter Response=300\nOnTop=1\n";
    const QStringList kept{u"Meter Response=300"_s, u"OnTop=1"_s, u"Aout1=7"_s};

    QTest::newRow("clean") << "[StartUp]\n" + tail << kept << false;
    QTest::newRow("garbage line") << "[StartUp]\nthis is garbage\n" + tail << kept << true;
    QTest::newRow("comments") << "; written by hand\n[StartUp]\n# note\n" + tail << kept << true;
    QTest::newRow("unclosed quote") << "[StartUp]\nCaption-Gauge0=\"Volts\n" + tail
                                    << kept + QStringList{u"Caption-Gauge0=\"Volts"_s} << true;
    QTest::newRow("final backslash") << "[StartUp]\nCaption-Gauge0=C:\\\n" + tail
                                     << kept + QStringList{u"Caption-Gauge0=C:\\"_s} << true;
    QTest::newRow("backslash before CRLF")
        << "[StartUp]\r\nAout2=5\\\r\nMeter Response=300\r\nOnTop=1\r\n"_ba
        << kept + QStringList{u"Aout2=5\\"_s} << true;
    QTest::newRow("quote in a comment line") << "[StartUp]\n#see \"manual\n" + tail << kept << true;
    QTest::newRow("quote in a key") << "[StartUp]\nOn\"Top=0\n" + tail << kept << true;
    QTest::newRow("quote in a section line")
        << "[Start\"Up]\nAout2=4\n[StartUp]\n" + tail << kept << true;
    QTest::newRow("unclosed quote, CRLF")
        << "[StartUp]\r\nMacroName0=\"Pump\r\nMeter Response=300\r\nOnTop=1\r\n"_ba
        << kept + QStringList{u"MacroName0=\"Pump"_s} << true;
    QTest::newRow("not UTF-8") << "[StartUp]\nMacroName0=\xff\xfe\n" + tail << kept << true;
    QTest::newRow("undecodable variant")
        << "[StartUp]\nMacroName0=@Variant(\\0\\0\\0\\x7f)\n" + tail << kept << true;
    QTest::newRow("repeated key") << "[StartUp]\nOnTop=0\n" + tail << kept << true;
}

void TestQSettingsStore::handEditedFileKeepsTheOtherKeys()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    QFETCH(bool, copied);

    const QString application = u"Edited_"_s + rowName();
    const QString path = iniPath(application);
    writeFile(path, content);

    QStringList keys;
    QStringList values;
    for (const QString &entry : expected) {
        keys << entry.left(entry.indexOf(u'='));
        values << entry.mid(entry.indexOf(u'=') + 1);
    }
    {
        QSettingsStore store;
        // Read before anything is written, as the seeding does: a swallowed key read as
        // absent would be seeded with its default over the user's value.
        for (qsizetype i = 0; i < keys.size(); ++i) {
            if (keys[i] != u"Aout1"_s)
                QCOMPARE(store.read(application, section, keys[i]), values[i]);
        }
        store.save(application, section, u"Aout1"_s, u"7"_s);
    }
    QCOMPARE(readElsewhere(application, keys), values);

    QCOMPARE(QFile::exists(path + u".bak"_s), copied);
    if (copied)
        QCOMPARE(readFile(path + u".bak"_s), content);
}

void TestQSettingsStore::aCleanFileGetsNoCopy()
{
    const QString path = iniPath(u"Clean"_s);
    QSettingsStore store;
    for (int i = 0; i < 3; ++i)
        store.save(u"Clean"_s, section, u"Aout1"_s, QString::number(i));
    QVERIFY(QFile::exists(path));
    QCOMPARE(QDir(QFileInfo(path).path()).entryList({u"Clean.ini.*"_s}), QStringList());
}

// Each hand edit that a rewrite would drop gets its own copy; a copy of the same text is not
// made twice.
void TestQSettingsStore::anEarlierCopyIsNeverOverwritten()
{
    const QString path = iniPath(u"Copies"_s);
    const QByteArray first = "; first edit\n[StartUp]\nOnTop=1\n";
    const QByteArray second = "; second edit\n[StartUp]\nOnTop=0\n";

    writeFile(path, first);
    QVERIFY(writeElsewhere(u"Copies"_s, u"Aout1"_s, u"1"_s));
    writeFile(path, first);
    QVERIFY(writeElsewhere(u"Copies"_s, u"Aout1"_s, u"2"_s));
    writeFile(path, second);
    QVERIFY(writeElsewhere(u"Copies"_s, u"Aout1"_s, u"3"_s));

    QCOMPARE(readFile(path + u".bak"_s), first);
    QCOMPARE(readFile(path + u".bak2"_s), second);
    QVERIFY(!QFile::exists(path + u".bak3"_s));
    QCOMPARE(readElsewhere(u"Copies"_s, {u"OnTop"_s, u"Aout1"_s}), QStringList({u"0"_s, u"3"_s}));
}

TARNWICK_TEST_MAIN(TestQSettingsStore)
#include "tst_QSettingsStore.moc"
