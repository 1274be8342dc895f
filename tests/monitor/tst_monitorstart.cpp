#include "MonitorFixture.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QTimer>

namespace {
constexpr quint32 designColor = 192;
constexpr quint32 offColor = 3289800;
constexpr quint32 onColor = 3328050;
} // namespace

class TestMonitorStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startWithThePortOpen()
    {
        MonitorFixture f;
        frmMonitor &w = f.load();
        QCOMPARE(w.windowTitle(), QStringLiteral("Tarnwick"));
        QVERIFY(f.messages.texts.isEmpty());
        QVERIFY(f.port.isOpen());
        QCOMPARE(f.port.portNumber(), 1);
        QCOMPARE(f.port.settings(), QStringLiteral("19200,n,8,1"));
        QCOMPARE(f.port.readLength(), 0);
        QVERIFY(w.poll().Timer1->isActive());
        QVERIFY(!w.poll().Timer3->isActive());
        QCOMPARE(w.OffColor, std::optional(offColor));
        QCOMPARE(w.OnColor, std::optional(onColor));
        for (char bank = 'A'; bank <= 'H'; ++bank)
            for (int p = 0; p < 8; ++p)
                QCOMPARE(f.relay(bank, p)->backColor(), offColor);
        QVERIFY(!f.child(QStringLiteral("Picture5"))->isVisibleTo(&w));
        QVERIFY(f.child(QStringLiteral("Picture2"))->isVisibleTo(&w));
    }

    void seedsTheStoreFirst()
    {
        MonitorFixture f;
        f.load();
        QCOMPARE(f.store.size(), 131);
        QCOMPARE(f.stored(Keys::MacroName, 0), QStringLiteral("Macro1"));
        QCOMPARE(f.stored(Keys::DigStatusName, 7), QStringLiteral("Input 8"));
        QCOMPARE(f.stored(Keys::Height), QStringLiteral("5240"));
    }

    void portAlreadyOpenIsClosedFirst()
    {
        MonitorFixture f;
        f.preset(Keys::MeterComPort, QStringLiteral("4"));
        f.create();
        f.port.setPortNumber(2);
        f.port.open();
        f.port.clearLog();
        f.window->Form_Load();
        QCOMPARE(f.port.log().mid(0, 2),
                 QStringList({QStringLiteral("close"), QStringLiteral("open")}));
        QCOMPARE(f.port.portNumber(), 4);
        QVERIFY(f.port.isOpen());
    }

    void unavailablePort_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("message");
        QTest::newRow("3") << "3"
                           << "COM 3: not available. Check Comm Port setting.";
        QTest::newRow("blanks around") << " 7 "
                                       << "COM 7: not available. Check Comm Port setting.";
        // Hand-edited texts that name no port: the message shows what was tried.
        QTest::newRow("text") << "abc"
                              << "COM abc: not available. Check Comm Port setting.";
        QTest::newRow("zero") << "0"
                              << "COM 0: not available. Check Comm Port setting.";
        QTest::newRow("negative") << "-1"
                                  << "COM -1: not available. Check Comm Port setting.";
        QTest::newRow("too high") << "256"
                                  << "COM 256: not available. Check Comm Port setting.";
        QTest::newRow("huge") << "99999999999"
                              << "COM 99999999999: not available. Check Comm Port setting.";
        QTest::newRow("fraction") << "2.5"
                                  << "COM 2.5: not available. Check Comm Port setting.";
    }
    void unavailablePort()
    {
        QFETCH(QString, stored);
        QFETCH(QString, message);
        MonitorFixture f;
        f.preset(Keys::MeterComPort, stored);
        f.port.setOpenSucceeds(false);
        frmMonitor &w = f.load();

        QCOMPARE(f.messages.texts, QStringList{message});
        QCOMPARE(f.messages.titles, QStringList{QStringLiteral("Tarnwick")});
        // The rest of the start is skipped: design colours, both timers as created.
        QVERIFY(!w.OnColor && !w.OffColor);
        QVERIFY(w.poll().Timer1->isActive());
        QVERIFY(w.poll().Timer3->isActive());
        for (char bank = 'A'; bank <= 'H'; ++bank)
            for (int p = 0; p < 8; ++p)
                QCOMPARE(f.relay(bank, p)->backColor(), designColor);
        // What the start could not use stays stored as it was.
        QCOMPARE(f.stored(Keys::MeterComPort), stored);
    }

    void failedStartRunsOnAClosedPort()
    {
        MonitorFixture f;
        f.port.setOpenSucceeds(false);
        frmMonitor &w = f.load();
        QTRY_VERIFY(!w.poll().Timer3->isActive()); // the resume tick fires once
        QVERIFY(w.poll().Timer1->isActive());
        f.port.clearLog();
        w.poll().Timer1_Timer();
        QVERIFY(f.port.log().isEmpty());
        QVERIFY(!f.child(QStringLiteral("Picture5"))->isVisibleTo(&w));
    }

    void completeFrameShowsItself_data()
    {
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<QString>("temperature");
        QTest::newRow("Fahrenheit") << false << "75F";
        QTest::newRow("Celsius") << true << "23C";
    }
    void completeFrameShowsItself()
    {
        QFETCH(bool, celsius);
        QFETCH(QString, temperature);
        MonitorFixture f;
        f.preset(Keys::TempMode, celsius ? QStringLiteral("1") : QStringLiteral("0"));
        frmMonitor &w = f.load();
        QCOMPARE(f.child<QCheckBox>(QStringLiteral("Check4"))->isChecked(), celsius);

        f.port.receive(sampleFrame);
        w.poll().Timer1_Timer();
        QVERIFY(f.child(QStringLiteral("Picture5"))->isVisibleTo(&w));
        QCOMPARE(f.text(QStringLiteral("Label2")), QString::fromLatin1(sampleFrame));
        QCOMPARE(f.text(QStringLiteral("LabelFreq")), QStringLiteral(" 1234"));
        QCOMPARE(f.text(QStringLiteral("LabelTemp")), temperature);
    }

    void incompleteRepliesShowNothing_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("69") << sampleFrame.left(69);
        QTest::newRow("71") << sampleFrame + ',';
        QTest::newRow("140") << sampleFrame + sampleFrame;
    }
    void incompleteRepliesShowNothing()
    {
        QFETCH(QByteArray, reply);
        MonitorFixture f;
        frmMonitor &w = f.load();
        f.port.receive(reply);
        w.poll().Timer1_Timer();
        QVERIFY(!f.child(QStringLiteral("Picture5"))->isVisibleTo(&w));
        QCOMPARE(f.text(QStringLiteral("Label2")), QStringLiteral("test"));
        QCOMPARE(f.text(QStringLiteral("LabelFreq")), QStringLiteral("0"));
        QCOMPARE(f.text(QStringLiteral("LabelTemp")), QStringLiteral("0"));
    }

    void temperatureThatIsNoNumberEndsTheTick()
    {
        MonitorFixture f;
        frmMonitor &w = f.load();
        f.port.receive(sampleFrame);
        w.poll().Timer1_Timer();
        QByteArray broken = sampleFrame;
        broken.replace(60, 3, "7x5");
        broken.replace(64, 5, "00042");
        f.port.receive(broken);
        w.poll().Timer1_Timer();
        QCOMPARE(f.text(QStringLiteral("Label2")), QString::fromLatin1(broken));
        QCOMPARE(f.text(QStringLiteral("LabelFreq")), QStringLiteral("00042"));
        QCOMPARE(f.text(QStringLiteral("LabelTemp")), QStringLiteral("75F"));
    }

    void pollIntervalFromTheStore_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("interval");
        QTest::newRow("default") << "200" << 200;
        QTest::newRow("slow") << "1000" << 1000;
        QTest::newRow("text") << "abc" << 200;
        QTest::newRow("zero") << "0" << 180;
        QTest::newRow("negative") << "-5" << 180;
        QTest::newRow("huge") << "99999999999" << 5000;
        QTest::newRow("1e308") << "1e308" << 5000;
    }
    void pollIntervalFromTheStore()
    {
        QFETCH(QString, stored);
        QFETCH(int, interval);
        MonitorFixture f;
        f.preset(Keys::MeterResponse, stored);
        frmMonitor &w = f.load();
        QCOMPARE(w.mtr_response(), stored);
        w.poll().Timer1_Timer();
        QCOMPARE(w.poll().Timer1->interval(), interval);
        QCOMPARE(f.stored(Keys::MeterResponse), stored);
    }
};

TARNWICK_TEST_MAIN(TestMonitorStart)
#include "tst_monitorstart.moc"
