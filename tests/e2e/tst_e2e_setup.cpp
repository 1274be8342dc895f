// The setup dialog's port choice against two simulated boards, over real pseudo-terminals
// and the real serial-port adapter: after the dialog closes, the program polls the board
// on the port the user chose.
#include "CommPortPage.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "PortPaths.h"
#include "PtyBoard.h"
#include "QtSerialPortAdapter.h"
#include "SettingsKeys.h"
#include "SetupDialogs.h"
#include "TestMain.h"
#include "frmMonitor.h"
#include "frmSetup.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

namespace {

constexpr int patience = 5000; // ms: an upper bound, never a delay

} // namespace

class TestEndToEndSetup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chosenPortIsPolledAfterTheDialogCloses()
    {
        PtyBoard first, second;
        QVERIFY2(first.start(1), qPrintable(first.errorString()));
        QVERIFY2(second.start(2), qPrintable(second.errorString()));

        MemorySettingsStore store;
        store.preset(SettingsKeys::application, SettingsKeys::section,
                     SettingsKeys::keyName(Keys::MeterComPort), QStringLiteral("1"));
        QtSerialPortAdapter port;
        FakeMessageBox messages;
        FakeColorPicker colors;
        SetupDialogs dialogs({store, colors});
        auto window =
            std::make_unique<frmMonitor>(MonitorPlatform{store, port, messages, nullptr, &dialogs});
        const auto dialogFirst = qScopeGuard([&] { delete dialogs.last.data(); });
        window->Form_Load();
        QVERIFY(messages.texts.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return first.statusRequests() >= 2; }, patience));
        QCOMPARE(second.statusRequests(), 0);

        window->mnuSetup_Click();
        QPointer<frmSetup> dialog = dialogs.last;
        QVERIFY(dialog && dialog->isVisible());
        auto *list = dialog->findChild<QComboBox *>(QStringLiteral("ComboComm"));
        const int entry = list->findText(QStringLiteral("Com 2"));
        list->setCurrentIndex(entry);
        Q_EMIT list->activated(entry);
        QVERIFY(!port.isOpen());
        QVERIFY(dialog->close());
        QVERIFY(QTest::qWaitFor([&] { return dialog.isNull(); }, patience));

        QVERIFY(messages.texts.isEmpty());
        QVERIFY(port.isOpen());
        QVERIFY(window->poll().Timer1->isActive());
        const int firstCount = first.statusRequests();
        QVERIFY(QTest::qWaitFor([&] { return second.statusRequests() >= 3; }, patience));
        QCOMPARE(first.statusRequests(), firstCount);
        // The second board's replies are read: the link indicator lights.
        QVERIFY(QTest::qWaitFor([&] { return window->poll().linkLit(); }, patience));
        QCOMPARE(store.read(SettingsKeys::application, SettingsKeys::section,
                            SettingsKeys::keyName(Keys::MeterComPort)),
                 QStringLiteral("2"));
    }

    // A device assigned to "Com 3" in the Comm Port tab: the link is written, and the
    // dialog's close opens the port on that device. Removing the link again makes the port
    // fall back to its /dev/ttyS device, which is not there.
    void aDeviceAssignedInTheCommPortTabIsOpenedNext()
    {
        QTemporaryDir noFallback;
        PortPaths::setFallbackPattern(noFallback.filePath(QStringLiteral("ttyS%1")));
        const auto fallbackBack =
            qScopeGuard([] { PortPaths::setFallbackPattern(QStringLiteral("/dev/ttyS%1")); });
        PtyBoard board; // a pseudo-terminal standing in for an adapter
        QVERIFY2(board.start(8), qPrintable(board.errorString()));

        MemorySettingsStore store;
        store.preset(SettingsKeys::application, SettingsKeys::section,
                     SettingsKeys::keyName(Keys::MeterComPort), QStringLiteral("3"));
        QtSerialPortAdapter port;
        FakeMessageBox messages;
        FakeColorPicker colors;
        SetupDialogs dialogs({store, colors});
        auto window =
            std::make_unique<frmMonitor>(MonitorPlatform{store, port, messages, nullptr, &dialogs});
        const auto dialogFirst = qScopeGuard([&] { delete dialogs.last.data(); });
        window->Form_Load();
        QCOMPARE(messages.texts,
                 QStringList{QStringLiteral("COM 3: not available. Check Comm Port setting.")});
        QVERIFY2(
            messages.informativeTexts.value(0).contains(QStringLiteral("ttyS2 does not exist")),
            qPrintable(messages.informativeTexts.value(0)));

        window->mnuSetup_Click();
        QPointer<frmSetup> dialog = dialogs.last;
        QVERIFY(dialog);
        dialog->SSTab1->setCurrentIndex(0);
        CommPortPage *page = dialog->commPortPage;
        QCOMPARE(page->chosenPort(), 3);
        page->txtDevice->setText(board.devicePath());
        page->cmdAssign->click();
        QCOMPARE(QFileInfo(PortPaths::linkPath(3)).symLinkTarget(), board.devicePath());
        QCOMPARE(page->tblDevices->item(2, 1)->text(), board.devicePath());
        QCOMPARE(page->tblDevices->item(2, 2)->text(), QStringLiteral("can be opened"));
        QVERIFY(page->lblAssign->text().startsWith(QStringLiteral("Com 3 now leads to ")));

        QVERIFY(dialog->close());
        QVERIFY(QTest::qWaitFor([&] { return dialog.isNull(); }, patience));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(port.isOpen());
        QCOMPARE(port.path(), PortPaths::linkPath(3));
        QVERIFY(QTest::qWaitFor([&] { return window->poll().linkLit(); }, patience));
        QVERIFY(board.repliesSent() >= 1);

        // While the port is open in this panel, its state says so. The dialog's load-all
        // releases it, and its row, filled when the tab shows, says so too. Removing the link
        // and closing the dialog opens the fallback, which is not there.
        QCOMPARE(CommPortPage::stateText(3), QStringLiteral("%1 (%2) is open in this panel.")
                                                 .arg(PortPaths::linkPath(3), board.devicePath()));
        window->mnuSetup_Click();
        dialog = dialogs.last;
        QVERIFY(!port.isOpen());
        dialog->SSTab1->setCurrentIndex(0);
        page = dialog->commPortPage;
        QCOMPARE(page->tblDevices->item(2, 2)->text(), QStringLiteral("can be opened"));
        page->cmdRemoveLink->click();
        QVERIFY(!QFileInfo(PortPaths::linkPath(3)).isSymLink());
        QVERIFY(!port.isOpen());
        QVERIFY(dialog->close());
        QVERIFY(QTest::qWaitFor([&] { return dialog.isNull(); }, patience));
        QCOMPARE(messages.texts.size(), 2);
        QCOMPARE(port.path(), PortPaths::fallbackPath(3));
    }

    // Something at the link's place that is not a link is the user's: never replaced.
    void aFileAtTheLinksPlaceIsLeftAlone()
    {
        QVERIFY(QDir().mkpath(PortPaths::portsFolder()));
        QFile file(PortPaths::linkPath(6));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("notes\n");
        file.close();
        QString error;
        QVERIFY(!PortPaths::assign(6, QStringLiteral("/dev/null"), &error));
        QVERIFY(error.contains(QStringLiteral("is not a link")));
        QVERIFY(!PortPaths::removeLink(6, &error));
        QFile kept(PortPaths::linkPath(6));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("notes\n"));
    }
};

TARNWICK_TEST_MAIN(TestEndToEndSetup)
#include "tst_e2e_setup.moc"
