// The about box opened from the monitor window's menu: the monitor takes no input while the
// box is open, its poll keeps running, and every way of closing the box gives it back.
#include "FakeLauncher.h"
#include "FakeRegistry.h"
#include "MonitorDialogs.h"
#include "MonitorFixture.h"
#include "TestMain.h"
#include "frmAbout.h"

#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

class AboutOnly final : public MonitorDialogs
{
public:
    explicit AboutOnly(const AboutPlatform &platform)
        : m_platform(platform)
    {}
    void showAbout(frmMonitor &monitor) override
    {
        box = new frmAbout(&monitor, m_platform);
        box->show();
    }
    SetupDialog *createSetup(frmMonitor &) override { return nullptr; }
    QPointer<frmAbout> box;

private:
    AboutPlatform m_platform;
};

} // namespace

class TestAboutFromMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void closingGivesTheWindowBack_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << u"OK"_s;
        QTest::newRow("Escape") << u"Escape"_s;
        QTest::newRow("close box") << u"close box"_s;
    }
    void closingGivesTheWindowBack()
    {
        QFETCH(QString, how);
        FakeRegistry registry;
        FakeProcessStarter processes;
        FakeFileCheck files;
        MonitorFixture f;
        AboutOnly dialogs({registry, processes, files, f.messages});
        f.dialogs = &dialogs;
        frmMonitor &w = f.load();
        w.show();

        w.mnuHelpAbout->trigger();
        QVERIFY(dialogs.box);
        QVERIFY(!w.isEnabled());
        // The poll goes on while the box is open.
        QVERIFY(w.poll().Timer1->isActive());
        QSignalSpy ticks(w.poll().Timer1, &QTimer::timeout);
        QVERIFY(ticks.wait(5000));

        if (how == u"OK"_s)
            dialogs.box->findChild<QPushButton *>(u"cmdOK"_s)->click();
        else if (how == u"Escape"_s)
            QTest::keyClick(dialogs.box, Qt::Key_Escape);
        else
            dialogs.box->close();
        QTRY_VERIFY(!dialogs.box); // destroyed
        QVERIFY(w.isEnabled());
    }
};

TARNWICK_TEST_MAIN(TestAboutFromMonitor)
#include "tst_aboutfrommonitor.moc"
