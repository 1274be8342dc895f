// The setup dialog's port choice against two simulated boards, over real pseudo-terminals
// and the real serial-port adapter: after the dialog closes, the program polls the board
// on the port the user chose.
#include "ColorPicker.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "MonitorDialogs.h"
#include "PtyBoard.h"
#include "QtSerialPortAdapter.h"
#include "SettingsKeys.h"
#include "TestMain.h"
#include "frmMonitor.h"
#include "frmSetup.h"

#include <QComboBox>
#include <QPointer>
#include <QTimer>
#include <memory>

namespace {

constexpr int patience = 5000; // ms: an upper bound, never a delay

class NoColors final : public ColorPicker
{
public:
    std::optional<quint32> pickColor(QWidget *, quint32) override { return std::nullopt; }
};

class Dialogs final : public MonitorDialogs
{
public:
    explicit Dialogs(const SetupPlatform &platform)
        : m_platform(platform)
    {}
    void showAbout(frmMonitor &) override {}
    SetupDialog *createSetup(frmMonitor &monitor) override
    {
        last = new frmSetup(monitor, m_platform);
        return last.data();
    }
    QPointer<frmSetup> last;

private:
    SetupPlatform m_platform;
};

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
        NoColors colors;
        Dialogs dialogs({store, colors});
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
};

TARNWICK_TEST_MAIN(TestEndToEndSetup)
#include "tst_e2e_setup.moc"
