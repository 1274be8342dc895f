// The Comm Port tab against the real serial-port adapter and a real pseudo-terminal: what
// the last open met stands in the tab where looking at the device cannot see it.
#include "CommPortPage.h"
#include "FakeMessageBox.h"
#include "MemorySettingsStore.h"
#include "PortPaths.h"
#include "PseudoTerminal.h"
#include "QtSerialPortAdapter.h"
#include "SettingsKeys.h"
#include "SetupDialogs.h"
#include "TestMain.h"
#include "WithoutAdminCapability.h"
#include "frmMonitor.h"
#include "frmSetup.h"

#include <QLabel>
#include <QPointer>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <fcntl.h>
#include <memory>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 5000; // ms: an upper bound, never a delay

} // namespace

class TestEndToEndPortReasons : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_config;

private Q_SLOTS:
    // Each test links its ports in a configuration folder of its own.
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        QVERIFY(m_config->isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()));
    }

    // A terminal held for exclusive use (TIOCEXCL, as every Qt serial program holds its port;
    // here the test holds it) answers a second open with EBUSY and leaves no lock file. The
    // start message says the port is in use, and so does the Comm Port tab, in the port's
    // row and beside the chosen entry, where looking alone says it can be opened. Once it
    // is let go, the dialog's close opens it.
    void aPortHeldForExclusiveUseIsInUseInTheTab()
    {
        WithoutAdminCapability user;
        if (!user.isWithout())
            QSKIP("cannot give up the administrator's capability, which passes an exclusive hold");
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        int held =
            ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(held >= 0);
        const auto letGo = qScopeGuard([&] {
            if (held >= 0)
                ::close(held);
        });
        QCOMPARE(::ioctl(held, TIOCEXCL), 0);
        QVERIFY2(PortPaths::assign(3, pty.slavePath(), &error), qPrintable(error));

        MemorySettingsStore store;
        store.preset(SettingsKeys::application, SettingsKeys::section,
                     SettingsKeys::keyName(Keys::MeterComPort), u"3"_s);
        QtSerialPortAdapter port;
        FakeMessageBox messages;
        FakeColorPicker colors;
        SetupDialogs dialogs({store, colors});
        auto window =
            std::make_unique<frmMonitor>(MonitorPlatform{store, port, messages, nullptr, &dialogs});
        const auto dialogFirst = qScopeGuard([&] { delete dialogs.last.data(); });
        window->Form_Load();
        const QString busy =
            u"%1 (%2) is in use by another program."_s.arg(PortPaths::linkPath(3), pty.slavePath());
        QCOMPARE(messages.texts, QStringList{u"COM 3: not available. Check Comm Port setting."_s});
        QVERIFY2(messages.informativeTexts.value(0).startsWith(busy),
                 qPrintable(messages.informativeTexts.value(0)));
        QCOMPARE(CommPortPage::stateText(3), u"can be opened"_s);

        window->mnuSetup_Click();
        QPointer<frmSetup> dialog = dialogs.last;
        QVERIFY(dialog);
        dialog->SSTab1->setCurrentIndex(0);
        CommPortPage *page = dialog->commPortPage;
        QCOMPARE(page->chosenPort(), 3);
        QCOMPARE(page->tblDevices->item(2, 2)->text(), busy);
        QCOMPARE(page->lblPortState->text(), busy);

        QCOMPARE(::ioctl(held, TIOCNXCL), 0);
        ::close(std::exchange(held, -1));
        QVERIFY(dialog->close());
        QVERIFY(QTest::qWaitFor([&] { return dialog.isNull(); }, patience));
        QCOMPARE(messages.texts.size(), 1);
        QVERIFY(port.isOpen());
        QCOMPARE(port.device(), pty.slavePath());
        QCOMPARE(port.lastProblem().kind, PortProblem::Kind::None);
    }

    // What the last open met belongs to the path and device it tried: another port, or the
    // same port once its link leads to another device, is looked at afresh.
    void theLastOpenSpeaksOnlyForWhatItTried()
    {
        PseudoTerminal tried, other;
        QString error;
        QVERIFY2(tried.open(&error), qPrintable(error));
        QVERIFY2(other.open(&error), qPrintable(error));
        QVERIFY(PortPaths::assign(3, tried.slavePath(), &error));
        QVERIFY(PortPaths::assign(4, tried.slavePath(), &error));
        PortProblem busy;
        busy.kind = PortProblem::Kind::Busy;
        busy.path = PortPaths::linkPath(3);
        busy.device = tried.slavePath();
        const QString inUse =
            u"%1 (%2) is in use by another program."_s.arg(busy.path, tried.slavePath());

        QCOMPARE(CommPortPage::stateText(3, busy), inUse);
        QCOMPARE(CommPortPage::stateText(4, busy), u"can be opened"_s);
        QVERIFY(PortPaths::assign(3, other.slavePath(), &error));
        QCOMPARE(CommPortPage::stateText(3, busy), u"can be opened"_s);
    }
};

TARNWICK_TEST_MAIN(TestEndToEndPortReasons)
#include "tst_e2e_portreasons.moc"
