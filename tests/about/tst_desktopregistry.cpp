#include "AboutPlatform.h"
#include "DesktopRegistry.h"
#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "SysInfo.h"
#include "TestMain.h"

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Answers as if the named programs were installed in /opt/bin.
DesktopRegistry::ProgramFinder installed(const QStringList &names)
{
    return [names](const QString &name) {
        return names.contains(name) ? QStringLiteral("/opt/bin/") + name : QString();
    };
}

QString lookUp(Registry &registry, const QString &key = SysInfo::pathKey,
               const QString &value = SysInfo::pathValue, bool *found = nullptr)
{
    QString KeyVal;
    const bool read = GetKeyValue(registry, Registry::localMachine, key, value, KeyVal);
    if (found)
        *found = read;
    return KeyVal;
}

} // namespace

class TestDesktopRegistry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pathIsTheFirstInstalledProgram_data();
    void pathIsTheFirstInstalledProgram();
    void storesThePathAsATerminatedText();
    void aPathLongerThanTheRoomIsNotCutShort();
    void answersNothingElse_data();
    void answersNothingElse();
    void refusesWriteRights();
    void searchesThePath();
    void aboutBoxStartsTheProgramFound();
    void aboutBoxSaysUnavailableWithoutOne();
};

void TestDesktopRegistry::pathIsTheFirstInstalledProgram_data()
{
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none installed") << QStringList() << QString();
    QTest::newRow("only a system monitor") << QStringList{QStringLiteral("gnome-system-monitor")}
                                           << QStringLiteral("/opt/bin/gnome-system-monitor");
    QTest::newRow("a profiler before a system monitor")
        << QStringList{QStringLiteral("gnome-system-monitor"), QStringLiteral("hardinfo")}
        << QStringLiteral("/opt/bin/hardinfo");
    QTest::newRow("KDE's Info Center first")
        << QStringList{QStringLiteral("hardinfo2"), QStringLiteral("kinfocenter")}
        << QStringLiteral("/opt/bin/kinfocenter");
    QTest::newRow("unknown programs are not taken")
        << QStringList{QStringLiteral("htop"), QStringLiteral("top")} << QString();
}

void TestDesktopRegistry::pathIsTheFirstInstalledProgram()
{
    QFETCH(QStringList, programs);
    QFETCH(QString, expected);
    DesktopRegistry registry(installed(programs));
    bool found = false;
    QCOMPARE(lookUp(registry, SysInfo::pathKey, SysInfo::pathValue, &found), expected);
    QCOMPARE(found, !expected.isEmpty());
}

void TestDesktopRegistry::storesThePathAsATerminatedText()
{
    DesktopRegistry registry(installed({QStringLiteral("hardinfo2")}));
    Registry::Key key{};
    QVERIFY(registry.openKey(Registry::localMachine, SysInfo::pathKey, Registry::readAccess, key));
    std::array<QChar, 64> data;
    data.fill(QChar(u'#'));
    quint32 size = data.size();
    quint32 type = 0;
    QVERIFY(registry.queryValue(key, SysInfo::pathValue, type, data, size));
    registry.closeKey(key);

    const QString path = QStringLiteral("/opt/bin/hardinfo2");
    QCOMPARE(type, Registry::textType);
    QCOMPARE(size, quint32(path.size() + 1));
    QCOMPARE(QString(data.data(), path.size()), path);
    QVERIFY(data[path.size()].isNull());
    QCOMPARE(data[path.size() + 1], QChar(u'#')); // nothing written past the value
}

void TestDesktopRegistry::aPathLongerThanTheRoomIsNotCutShort()
{
    const QString longPath =
        QStringLiteral("/opt/") + QString(2000, u'd') + QStringLiteral("/hardinfo");
    DesktopRegistry registry([&](const QString &name) {
        return name == QLatin1String("hardinfo") ? longPath : QString();
    });
    Registry::Key key{};
    QVERIFY(registry.openKey(Registry::localMachine, SysInfo::pathKey, Registry::readAccess, key));
    std::array<QChar, 16> data{};
    quint32 size = data.size();
    quint32 type = 0;
    QVERIFY(!registry.queryValue(key, SysInfo::pathValue, type, data, size));
    QCOMPARE(size, quint32(longPath.size() + 1)); // the room it would need
    registry.closeKey(key);

    bool found = true;
    QCOMPARE(lookUp(registry, SysInfo::pathKey, SysInfo::pathValue, &found), QString());
    QVERIFY(!found);
}

void TestDesktopRegistry::answersNothingElse_data()
{
    QTest::addColumn<quint32>("root");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("found");
    QTest::newRow("the path, key in other case")
        << Registry::localMachine << SysInfo::pathKey.toUpper() << QStringLiteral("path") << true;
    QTest::newRow("the folder of MSINFO32.EXE")
        << Registry::localMachine << SysInfo::folderKey << SysInfo::folderValue << false;
    QTest::newRow("another value of the key")
        << Registry::localMachine << SysInfo::pathKey << QStringLiteral("Version") << false;
    QTest::newRow("the key under the current user")
        << 0x80000001u << SysInfo::pathKey << SysInfo::pathValue << false;
    QTest::newRow("a parent key") << Registry::localMachine
                                  << QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools")
                                  << SysInfo::pathValue << false;
}

void TestDesktopRegistry::answersNothingElse()
{
    QFETCH(quint32, root);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(bool, found);
    DesktopRegistry registry(installed({QStringLiteral("kinfocenter")}));
    QString KeyVal;
    QCOMPARE(GetKeyValue(registry, root, key, value, KeyVal), found);
    QCOMPARE(KeyVal.isEmpty(), !found);
}

void TestDesktopRegistry::refusesWriteRights()
{
    DesktopRegistry registry(installed({QStringLiteral("kinfocenter")}));
    Registry::Key key = 0;
    QVERIFY(!registry.openKey(Registry::localMachine, SysInfo::pathKey, 0x2003F, key));
    QCOMPARE(key, Registry::Key(0));
}

void TestDesktopRegistry::searchesThePath()
{
    QTemporaryDir bin;
    QVERIFY(bin.isValid());
    const QString program = bin.filePath(QStringLiteral("hardinfo"));
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n");
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit());
    DesktopRegistry registry;
    const QString found = lookUp(registry);
    qputenv("PATH", savedPath);
    QCOMPARE(found, program);
}

void TestDesktopRegistry::aboutBoxStartsTheProgramFound()
{
    DesktopRegistry registry(installed({QStringLiteral("gnome-system-monitor")}));
    FakeProcessStarter starter;
    FakeFileCheck files;
    FakeMessageBox messages;
    StartSysInfo(AboutPlatform{registry, starter, files, messages}, nullptr);
    QCOMPARE(starter.started, QStringList{QStringLiteral("/opt/bin/gnome-system-monitor")});
    QVERIFY(messages.texts.isEmpty());
}

void TestDesktopRegistry::aboutBoxSaysUnavailableWithoutOne()
{
    DesktopRegistry registry(installed({}));
    FakeProcessStarter starter;
    FakeFileCheck files;
    FakeMessageBox messages;
    StartSysInfo(AboutPlatform{registry, starter, files, messages}, nullptr);
    QVERIFY(starter.started.isEmpty());
    QVERIFY(files.asked.isEmpty());
    QCOMPARE(messages.texts, QStringList{SysInfo::unavailableMessage});
}

TARNWICK_TEST_MAIN(TestDesktopRegistry)
#include "tst_desktopregistry.moc"
