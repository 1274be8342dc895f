#include "FakeRegistry.h"
#include "SysInfo.h"
#include "TestMain.h"

#include <QTest>

namespace {

const QString key = QStringLiteral("SOFTWARE\\Vendor\\Tool");
const QString name = QStringLiteral("Where");
const QString stale = QStringLiteral("left from before");

QString zeros(int count)
{
    return QString(count, QChar(u'\0'));
}

} // namespace

Q_DECLARE_METATYPE(FakeRegistry::Value)

class TestGetKeyValue : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsValue_data();
    void readsValue();
    void failsWithEmptyText_data();
    void failsWithEmptyText();
    void asksForReadRightsOnly();
};

void TestGetKeyValue::readsValue_data()
{
    QTest::addColumn<FakeRegistry::Value>("stored");
    QTest::addColumn<QString>("expected");

    const QString path = QStringLiteral("C:\\Program Files\\Tool\\tool.exe");
    QTest::newRow("text counting its terminating zero")
        << FakeRegistry::Value{Registry::textType, path + zeros(1)} << path;
    QTest::newRow("text stored without terminator")
        << FakeRegistry::Value{Registry::textType, path} << path;
    QTest::newRow("only the last zero is dropped")
        << FakeRegistry::Value{Registry::textType, QStringLiteral("ab") + zeros(2)}
        << QStringLiteral("ab") + zeros(1);
    QTest::newRow("a zero inside the text stays")
        << FakeRegistry::Value{Registry::textType,
                               QStringLiteral("a") + zeros(1) + QStringLiteral("b")}
        << QStringLiteral("a") + zeros(1) + QStringLiteral("b");
    QTest::newRow("empty text with its terminator")
        << FakeRegistry::Value{Registry::textType, zeros(1)} << QString();
    QTest::newRow("empty value of size 0")
        << FakeRegistry::Value{Registry::textType, QString()} << QString();
    QTest::newRow("1023 characters and the terminator fill the buffer")
        << FakeRegistry::Value{Registry::textType, QString(1023, u'x') + zeros(1)}
        << QString(1023, u'x');
    QTest::newRow("1024 characters without terminator fill the buffer")
        << FakeRegistry::Value{Registry::textType, QString(1024, u'y')} << QString(1024, u'y');
    QTest::newRow("size smaller than the data keeps what the size counts")
        << FakeRegistry::Value{Registry::textType, QStringLiteral("abcdef"), 3}
        << QStringLiteral("abc");
    // A value of another type is read, but holds no text to use.
    QTest::newRow("number (REG_DWORD)")
        << FakeRegistry::Value{Registry::dwordType, QStringLiteral("\x01\x02")} << QString();
    QTest::newRow("text with variables (REG_EXPAND_SZ)")
        << FakeRegistry::Value{2, QStringLiteral("%SystemRoot%") + zeros(1)} << QString();
    QTest::newRow("binary (REG_BINARY)")
        << FakeRegistry::Value{3, QStringLiteral("xyz")} << QString();
}

void TestGetKeyValue::readsValue()
{
    QFETCH(FakeRegistry::Value, stored);
    QFETCH(QString, expected);
    FakeRegistry registry;
    registry.setValue(key, name, stored);

    QString KeyVal = stale;
    QVERIFY(GetKeyValue(registry, Registry::localMachine, key, name, KeyVal));
    QCOMPARE(KeyVal, expected);
    QCOMPARE(registry.keysOpen(), 0);
    QCOMPARE(registry.strayCloses, 0);
}

void TestGetKeyValue::failsWithEmptyText_data()
{
    QTest::addColumn<bool>("keyExists");
    QTest::addColumn<FakeRegistry::Value>("stored"); // size -2: no such value
    QTest::addColumn<quint32>("root");

    const FakeRegistry::Value absent{Registry::textType, QString(), -2};
    QTest::newRow("key absent") << false << absent << Registry::localMachine;
    QTest::newRow("value absent") << true << absent << Registry::localMachine;
    QTest::newRow("key under another root")
        << true << FakeRegistry::Value{Registry::textType, QStringLiteral("x")} << 0x80000001u;
    QTest::newRow("value larger than the buffer")
        << true << FakeRegistry::Value{Registry::textType, QString(1025, u'z')}
        << Registry::localMachine;
    QTest::newRow("size claimed beyond the buffer")
        << true << FakeRegistry::Value{Registry::textType, QStringLiteral("abc"), 5000}
        << Registry::localMachine;
}

void TestGetKeyValue::failsWithEmptyText()
{
    QFETCH(bool, keyExists);
    QFETCH(FakeRegistry::Value, stored);
    QFETCH(quint32, root);
    FakeRegistry registry;
    if (keyExists)
        registry.addKey(key);
    if (stored.size != -2)
        registry.setValue(key, name, stored);

    QString KeyVal = stale;
    QVERIFY(!GetKeyValue(registry, root, key, name, KeyVal));
    QCOMPARE(KeyVal, QString());
    QCOMPARE(registry.keysOpen(), 0);
    QCOMPARE(registry.strayCloses, 0);
}

void TestGetKeyValue::asksForReadRightsOnly()
{
    // The fake, like the registry for an ordinary user, refuses write rights under the
    // local-machine root; a lookup that asked for them would never find anything.
    FakeRegistry registry;
    registry.setText(key, name, QStringLiteral("value"));
    QString KeyVal;
    QVERIFY(GetKeyValue(registry, Registry::localMachine, key, name, KeyVal));
    QCOMPARE(registry.accessMasks.size(), 1);
    QCOMPARE(registry.accessMasks.first() & Registry::writeRights, 0u);
}

TARNWICK_TEST_MAIN(TestGetKeyValue)
#include "tst_getkeyvalue.moc"
