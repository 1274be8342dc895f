#include "AboutPlatform.h"
#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "FakeRegistry.h"
#include "SysInfo.h"
#include "TestMain.h"

#include <QTest>

namespace {

const QString msinfo = QStringLiteral("C:\\Program Files\\Common Files\\Microsoft Shared\\MSInfo");
const QString msinfoExe = msinfo + QStringLiteral("\\msinfo32.exe");
const QString folder = QStringLiteral("C:\\WINDOWS\\SYSTEM32");
const QString folderExe = folder + QStringLiteral("\\MSINFO32.EXE");
const QString unavailable = QStringLiteral("System Information Is Unavailable At This Time");

// A registry value as a row gives it: absent, a text, or a value of another type.
struct Stored
{
    enum Kind { Absent, Text, Number } kind = Absent;
    QString text;
};
Stored text(const QString &t)
{
    return {Stored::Text, t};
}
const Stored absent{};
const Stored number{Stored::Number, {}};

void store(FakeRegistry &registry, const QString &key, const QString &value, const Stored &stored)
{
    if (stored.kind == Stored::Text)
        registry.setText(key, value, stored.text);
    else if (stored.kind == Stored::Number)
        registry.setValue(key, value, {Registry::dwordType, QStringLiteral("\x01\x02")});
}

} // namespace

Q_DECLARE_METATYPE(Stored)

class TestStartSysInfo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startsOrSaysUnavailable_data();
    void startsOrSaysUnavailable();
    void pathStoredWithoutTerminatorIsStartedWhole();
};

void TestStartSysInfo::startsOrSaysUnavailable_data()
{
    QTest::addColumn<Stored>("path");       // "PATH" of ...\Shared Tools\MSINFO
    QTest::addColumn<Stored>("location");   // "MSINFO" of ...\Shared Tools Location
    QTest::addColumn<QStringList>("files"); // files that exist
    QTest::addColumn<bool>("startSucceeds");
    QTest::addColumn<QStringList>("started"); // programs the launcher was asked to start
    QTest::addColumn<QStringList>("checked"); // files looked for
    QTest::addColumn<bool>("message");

    const QStringList none;
    QTest::newRow("PATH is started as stored, the file unchecked")
        << text(msinfoExe) << absent << none << true << QStringList{msinfoExe} << none << false;
    QTest::newRow("PATH wins over the folder")
        << text(msinfoExe) << text(folder) << QStringList{folderExe} << true
        << QStringList{msinfoExe} << none << false;
    QTest::newRow("PATH that does not start: message")
        << text(msinfoExe) << absent << none << false << QStringList{msinfoExe} << none << true;
    QTest::newRow("PATH absent, folder lacks MSINFO32.EXE: message, nothing started")
        << absent << text(folder) << none << true << none << QStringList{folderExe} << true;
    QTest::newRow("PATH absent, MSINFO32.EXE in the folder is started")
        << absent << text(folder) << QStringList{folderExe} << true << QStringList{folderExe}
        << QStringList{folderExe} << false;
    QTest::newRow("MSINFO32.EXE in the folder does not start: message")
        << absent << text(folder) << QStringList{folderExe} << false << QStringList{folderExe}
        << QStringList{folderExe} << true;
    QTest::newRow("both absent: message")
        << absent << absent << none << true << none << none << true;
    // A value that is not text names no program and no folder.
    QTest::newRow("PATH not text: message, nothing started")
        << number << text(folder) << QStringList{folderExe} << true << none << none << true;
    QTest::newRow("MSINFO not text: message, nothing started or looked for")
        << absent << number << QStringList{QStringLiteral("\\MSINFO32.EXE")} << true << none << none
        << true;
    QTest::newRow("empty PATH: message, nothing started")
        << text(QString()) << absent << none << true << none << none << true;
}

void TestStartSysInfo::startsOrSaysUnavailable()
{
    QFETCH(Stored, path);
    QFETCH(Stored, location);
    QFETCH(QStringList, files);
    QFETCH(bool, startSucceeds);
    QFETCH(QStringList, started);
    QFETCH(QStringList, checked);
    QFETCH(bool, message);

    FakeRegistry registry;
    registry.addKey(SysInfo::pathKey);
    registry.addKey(SysInfo::folderKey);
    store(registry, SysInfo::pathKey, QStringLiteral("PATH"), path);
    store(registry, SysInfo::folderKey, QStringLiteral("MSINFO"), location);
    FakeProcessStarter starter;
    starter.startSucceeds = startSucceeds;
    FakeFileCheck fileCheck;
    fileCheck.files = QSet<QString>(files.cbegin(), files.cend());
    FakeMessageBox messages;

    StartSysInfo(AboutPlatform{registry, starter, fileCheck, messages}, nullptr);

    QCOMPARE(starter.started, started);
    QCOMPARE(fileCheck.asked, checked);
    if (message) {
        QCOMPARE(messages.texts, QStringList{unavailable});
        QCOMPARE(messages.titles, QStringList{QStringLiteral("Tarnwick")});
    } else {
        QCOMPARE(messages.texts, QStringList());
    }
    QCOMPARE(registry.keysOpen(), 0);
    QCOMPARE(registry.strayCloses, 0);
}

void TestStartSysInfo::pathStoredWithoutTerminatorIsStartedWhole()
{
    FakeRegistry registry;
    registry.setValue(SysInfo::pathKey, QStringLiteral("PATH"), {Registry::textType, msinfoExe});
    FakeProcessStarter starter;
    FakeFileCheck fileCheck;
    FakeMessageBox messages;

    StartSysInfo(AboutPlatform{registry, starter, fileCheck, messages}, nullptr);

    QCOMPARE(starter.started, QStringList{msinfoExe});
    QVERIFY(messages.texts.isEmpty());
}

TARNWICK_TEST_MAIN(TestStartSysInfo)
#include "tst_startsysinfo.moc"
