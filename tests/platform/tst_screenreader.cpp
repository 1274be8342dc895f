// Whether a screen reader listens, and who is told when one starts: owners are told each
// time one starts, never after they are gone, and may end other owners while being told.
#include "ScreenReader.h"
#include "TestMain.h"

#include <QAccessible>
#include <QScopeGuard>
#include <QTest>
#include <memory>

class TestScreenReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ownersAreToldWhenAReaderStarts()
    {
        const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });
        QObject kept;
        auto gone = std::make_unique<QObject>();
        int keptTold = 0, goneTold = 0;
        ScreenReader::whenListening(&kept, [&] { ++keptTold; });
        ScreenReader::whenListening(gone.get(), [&] { ++goneTold; });
        QVERIFY(!ScreenReader::listening());
        QCOMPARE(keptTold, 0); // not at once

        QAccessible::setActive(true);
        QVERIFY(ScreenReader::listening());
        QCOMPARE(keptTold, 1);
        QCOMPARE(goneTold, 1);

        gone.reset();
        QAccessible::setActive(false);
        QVERIFY(!ScreenReader::listening());
        QAccessible::setActive(true);
        QCOMPARE(keptTold, 2);
        QCOMPARE(goneTold, 1);
    }

    void anOwnerMayEndAnotherWhileTold()
    {
        const auto quiet = qScopeGuard([] { QAccessible::setActive(false); });
        auto first = std::make_unique<QObject>();
        auto second = std::make_unique<QObject>();
        int secondTold = 0;
        ScreenReader::whenListening(first.get(), [&] { second.reset(); });
        ScreenReader::whenListening(second.get(), [&] { ++secondTold; });
        QAccessible::setActive(true);
        QCOMPARE(secondTold, 0);
        QVERIFY(!second);
    }
};

TARNWICK_TEST_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
