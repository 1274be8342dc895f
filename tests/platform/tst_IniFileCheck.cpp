#include "IniFileCheck.h"
#include "TestMain.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

// Which hand edits of a settings file would cost the user text or keys, and how run-on lines
// are mended. Whether QSettings then reads the mended file as intended is shown by the store's
// own test, through a second process.
class TestIniFileCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inspect_data();
    void inspect();
    void mendedContentIsClean_data() { inspect_data(); }
    void mendedContentIsClean();
    void mendedFileReadsAsWritten_data();
    void mendedFileReadsAsWritten();
};

void TestIniFileCheck::inspect_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("runsOn");
    QTest::addColumn<bool>("dropsText");
    QTest::addColumn<QByteArray>("mended");

    const auto same = [](const char *tag, const QByteArray &content, bool dropsText) {
        QTest::newRow(tag) << content << false << dropsText << content;
    };
    // Nothing to fear.
    same("empty file", "", false);
    same("as QSettings writes it", "[StartUp]\nMeter%20Response=200\nOnString0=\"05,12,\"\n",
         false);
    same("escaped quote", "[StartUp]\nA=\"a\\\"b\"\n", false);
    same("escaped final backslash", "[StartUp]\nA=\"C:\\\\\"\nB=x\\\\\n", false);
    same("semicolon in quotes", "[StartUp]\nA=\"a;b\"\n", false);
    same("blank lines and indent", "\n[StartUp]\n\n  A=1\n\tB=2\n\n", false);
    same("no final line break", "[StartUp]\nA=1", false);
    same("same key in two sections", "[StartUp]\nA=1\n[Other]\nA=2\n", false);
    same("windows line breaks", "[StartUp]\r\nA=1\r\nB=2\r\n", false);
    same("at forms QSettings keeps", "[StartUp]\nA=@Invalid()\nB=@ByteArray(x)\nC=@Home\n", false);
    same("non-ASCII", "[StartUp]\nA=Temp\xc3\xa9rature\n", false);
    // A backslash before a final blank escapes the blank, not the line break.
    same("backslash before a final space", "[StartUp]\nk=abc\\ \nnext=1\n", false);
    same("backslash before a final tab", "[StartUp]\nk=abc\\\t\nnext=1\n", false);
    same("backslash before final blanks, in quotes", "[StartUp]\nk=\"a\\  \"\nnext=1\n", false);

    // Dropped at the next rewrite, but no key lost.
    same("comment line", "; mine\n[StartUp]\nA=1\n", true);
    same("indented comment with quote", "[StartUp]\n  ; a \"b\nA=1\n", true);
    same("inline comment", "[StartUp]\nA=1 ; note\n", true);
    same("quote after inline comment", "[StartUp]\nA=x ;\"\nB=2\n", true);
    same("backslash after inline comment", "[StartUp]\nA=1 ; c:\\\nB=2\n", true);
    same("line without equals", "[StartUp]\ngarbage here\nA=1\n", true);
    same("hash line", "[StartUp]\n# note\nA=1\n", true);
    same("repeated key", "[StartUp]\nA=1\nB=2\nA=3\n", true);
    same("repeated key, blanks differ", "[StartUp]\nA=1\n A =3\n", true);
    // Would run on, but swallow nothing: QSettings drops the final quote or backslash.
    same("open quote on the last line", "[StartUp]\nlast=\"x", true);
    same("open quote on the last line, line break after", "[StartUp]\nlast=\"x\n", true);
    same("open quote, only blank lines after", "[StartUp]\nlast=\"x\n\n  \n\t\n", true);
    same("final backslash on the last line", "[StartUp]\nlast=x\\", true);
    same("final backslash, a blank line after", "[StartUp]\nA=x\\\n  \nB=2\n", true);
    same("undecodable variant", "[StartUp]\nA=@Variant(\\0\\0\\0\\x7f)\n", true);
    same("quoted undecodable variant", "[StartUp]\nA=\"@Variant(\\0\\0\\0\\x7f)\"\n", true);
    same("not UTF-8", "[StartUp]\nA=\xff\xfe\n", true);
    same("truncated UTF-8", "[StartUp]\nA=\xc3\n", true);

    // Lines that swallow the keys below them, and how they are mended.
    QTest::newRow("unclosed quote") << QByteArray("[StartUp]\nA=\"x\nB=2\n") << true << true
                                    << QByteArray("[StartUp]\nA=\"\\\"x\"\nB=2\n");
    QTest::newRow("quote inside value") << QByteArray("[StartUp]\nA=a\"b\nB=2\n") << true << true
                                        << QByteArray("[StartUp]\nA=\"a\\\"b\"\nB=2\n");
    QTest::newRow("final backslash") << QByteArray("[StartUp]\nA=C:\\\nB=2\n") << true << true
                                     << QByteArray("[StartUp]\nA=\"C:\\\\\"\nB=2\n");
    QTest::newRow("blanks around the raw value")
        << QByteArray("[StartUp]\n  A =  say \"hi  \nB=2\n") << true << true
        << QByteArray("[StartUp]\nA =\"say \\\"hi\"\nB=2\n");
    QTest::newRow("semicolon kept in mended value")
        << QByteArray("[StartUp]\nA=\"x;y\nB=2\n") << true << true
        << QByteArray("[StartUp]\nA=\"\\\"x;y\"\nB=2\n");
    QTest::newRow("line breaks kept")
        << QByteArray("[StartUp]\r\nA=\"x\r\nB=2\rC=3\r\n") << true << true
        << QByteArray("[StartUp]\r\nA=\"\\\"x\"\r\nB=2\rC=3\r\n");
    QTest::newRow("quote in key is commented out")
        << QByteArray("[StartUp]\nK\"ey=1\nB=2\n") << true << true
        << QByteArray("[StartUp]\n;K\"ey=1\nB=2\n");
    QTest::newRow("quote without equals is commented out")
        << QByteArray("[StartUp]\n#see \"manual\nB=2\n") << true << true
        << QByteArray("[StartUp]\n;#see \"manual\nB=2\n");
    QTest::newRow("quote in section is commented out")
        << QByteArray("[Start\"Up]\nB=2\n") << true << true << QByteArray(";[Start\"Up]\nB=2\n");
    QTest::newRow("white-space key is commented out")
        << QByteArray("[StartUp]\n\v\f=\"x\nB=2\n") << true << true
        << QByteArray("[StartUp]\n;\v\f=\"x\nB=2\n");
    QTest::newRow("section ending in a backslash before a blank line")
        << QByteArray("[StartUp]\n[Other\\\n\nB=2\n") << true << true
        << QByteArray("[StartUp]\n;[Other\\\n\nB=2\n");
    QTest::newRow("section with an open quote on the last line")
        << QByteArray("[StartUp]\nB=2\n[Oth\"er]") << true << true
        << QByteArray("[StartUp]\nB=2\n;[Oth\"er]");
    QTest::newRow("empty key is commented out") << QByteArray("[StartUp]\n=\"x\nB=2\n") << true
                                                << true << QByteArray("[StartUp]\n;=\"x\nB=2\n");
    QTest::newRow("two run-on lines, the last swallows nothing")
        << QByteArray("[StartUp]\nA=\"x\nB=\"y\n") << true << true
        << QByteArray("[StartUp]\nA=\"\\\"x\"\nB=\"y\n");
    QTest::newRow("value starting with @String(")
        << QByteArray("[StartUp]\nk=@String(\")\nB=2\n") << true << true
        << QByteArray("[StartUp]\nk=\"@@String(\\\")\"\nB=2\n");
    QTest::newRow("value starting with @") << QByteArray("[StartUp]\nk=@\"\nB=2\n") << true << true
                                           << QByteArray("[StartUp]\nk=\"@@\\\"\"\nB=2\n");
    QTest::newRow("two run-on lines")
        << QByteArray("[StartUp]\nA=\"x\nB=y\\\nC=3\n") << true << true
        << QByteArray("[StartUp]\nA=\"\\\"x\"\nB=\"y\\\\\"\nC=3\n");
}

void TestIniFileCheck::inspect()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, runsOn);
    QFETCH(bool, dropsText);
    QFETCH(QByteArray, mended);

    const IniFileCheck::Result result = IniFileCheck::inspect(content);
    QCOMPARE(result.runsOn, runsOn);
    QCOMPARE(result.dropsText, dropsText);
    QCOMPARE(result.mended, mended);
}

// Mending is complete: nothing in the mended text runs on any more.
void TestIniFileCheck::mendedContentIsClean()
{
    QFETCH(QByteArray, content);

    const IniFileCheck::Result once = IniFileCheck::inspect(content);
    const IniFileCheck::Result twice = IniFileCheck::inspect(once.mended);
    QVERIFY(!twice.runsOn);
    QCOMPARE(twice.mended, once.mended);
}

void TestIniFileCheck::mendedFileReadsAsWritten_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("text");

    // Lines that run on into "B=2" below them, and the text QSettings must read after mending.
    QTest::newRow("open quote") << QByteArray("A=\"x") << u"\"x"_qs;
    QTest::newRow("final backslash") << QByteArray("A=C:\\") << u"C:\\"_qs;
    QTest::newRow("backslashes and quotes") << QByteArray("A=a\\\"b\\") << u"a\\\"b\\"_qs;
    QTest::newRow("@String(") << QByteArray("A=@String(\")") << u"@String(\")"_qs;
    QTest::newRow("@ByteArray(") << QByteArray("A=@ByteArray(\"x)") << u"@ByteArray(\"x)"_qs;
    QTest::newRow("@Variant(") << QByteArray("A=@Variant(\"\\0)") << u"@Variant(\"\\0)"_qs;
    QTest::newRow("@Invalid()") << QByteArray("A=@Invalid()\"") << u"@Invalid()\""_qs;
    QTest::newRow("a lone @") << QByteArray("A=@\"") << u"@\""_qs;
    QTest::newRow("@@") << QByteArray("A=@@\"") << u"@@\""_qs;
    QTest::newRow("list-like text") << QByteArray("A=1,2,\"3") << u"1,2,\"3"_qs;
    QTest::newRow("semicolon") << QByteArray("A=\"x;y") << u"\"x;y"_qs;
    QTest::newRow("non-ASCII") << QByteArray("A=\"Temp\xc3\xa9rature") << u"\"Temp\u00e9rature"_qs;
}

// QSettings is the judge: after mending, the run-on value reads back as the text the user wrote
// and the key below it is there again.
void TestIniFileCheck::mendedFileReadsAsWritten()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);

    const QByteArray content = "[StartUp]\n" + line + "\nB=2\n";
    const IniFileCheck::Result result = IniFileCheck::inspect(content);
    QVERIFY(result.runsOn);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("mended.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(result.mended), result.mended.size());
    file.close();

    const QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    QCOMPARE(settings.allKeys().size(), 2);
    const QVariant value = settings.value(QStringLiteral("StartUp/A"));
    QCOMPARE(value.typeId(), QMetaType::QString);
    QCOMPARE(value.toString(), text);
    QCOMPARE(settings.value(QStringLiteral("StartUp/B")).toString(), u"2"_qs);
}

TARNWICK_TEST_MAIN(TestIniFileCheck)
#include "tst_IniFileCheck.moc"
