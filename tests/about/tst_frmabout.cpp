#include "AboutText.h"
#include "FakeLauncher.h"
#include "FakeMessageBox.h"
#include "FakeRegistry.h"
#include "SysInfo.h"
#include "TestMain.h"
#include "frmAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

namespace {

const QString firstSentence =
    QStringLiteral("Custom monitoring and control program for use with Tarnwick board.");
const QString sysInfoPath = QStringLiteral("/usr/bin/kinfocenter");

} // namespace

class TestFrmAbout : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsTitleVersionAndDescription();
    void versionText_data();
    void versionText();
    void laysOutTheDesignedControls();
    void isAFixedModelessDialogOfItsOwner();
    void disablesItsOwnerWhileShown();
    void everyWayOfClosingEnablesTheOwner_data();
    void everyWayOfClosingEnablesTheOwner();
    void enterPressesTheButtonWithTheFocus();
    void sysInfoButtonStartsTheProgramAndStaysOpen();
    void sysInfoButtonSaysWhenThereIsNone();
    void ownerTimersRunWhileTheBoxIsOpen();

private:
    frmAbout *openBox();

    FakeRegistry m_registry;
    FakeProcessStarter m_starter;
    FakeFileCheck m_files;
    FakeMessageBox m_messages;
    std::unique_ptr<QWidget> m_owner;
    QPushButton *m_ownerButton = nullptr;
    int m_ownerClicks = 0;
};

void TestFrmAbout::init()
{
    m_registry = FakeRegistry();
    m_registry.setText(SysInfo::pathKey, QStringLiteral("PATH"), sysInfoPath);
    m_starter = FakeProcessStarter();
    m_messages = FakeMessageBox();
    m_owner = std::make_unique<QWidget>();
    m_owner->resize(400, 300);
    m_ownerButton = new QPushButton(QStringLiteral("Relay"), m_owner.get());
    m_ownerClicks = 0;
    connect(m_ownerButton, &QPushButton::clicked, this, [this] { ++m_ownerClicks; });
    m_owner->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_owner.get()));
}

void TestFrmAbout::cleanup()
{
    m_owner.reset(); // takes an open box with it
}

frmAbout *TestFrmAbout::openBox()
{
    auto *box =
        new frmAbout(m_owner.get(), AboutPlatform{m_registry, m_starter, m_files, m_messages});
    box->show();
    return box;
}

void TestFrmAbout::showsTitleVersionAndDescription()
{
    QPointer<frmAbout> box = openBox();
    QCOMPARE(box->windowTitle(), QStringLiteral("About Tarnwick"));
    QCOMPARE(box->findChild<QLabel *>(QStringLiteral("lblTitle"))->text(),
             QStringLiteral("Tarnwick"));
    QCOMPARE(box->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version 2.0.1"));
    const QString description = box->findChild<QLabel *>(QStringLiteral("lblDescription"))->text();
    QVERIFY2(description.startsWith(firstSentence + QLatin1Char(' ')), qPrintable(description));
    QVERIFY(description.size() > firstSentence.size() + 20);
    QCOMPARE(box->findChild<QPushButton *>(QStringLiteral("cmdOK"))->text(), QStringLiteral("OK"));
    QCOMPARE(box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->text(),
             QStringLiteral("&System Info..."));
}

void TestFrmAbout::versionText_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("revision");
    QTest::addColumn<QString>("expected");
    QTest::newRow("this program") << 2 << 0 << 1 << QStringLiteral("Version 2.0.1");
    QTest::newRow("all zero") << 0 << 0 << 0 << QStringLiteral("Version 0.0.0");
    QTest::newRow("several digits, no padding")
        << 10 << 4 << 123 << QStringLiteral("Version 10.4.123");
}

void TestFrmAbout::versionText()
{
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, revision);
    QFETCH(QString, expected);
    QCOMPARE(AboutText::versionText(major, minor, revision), expected);
}

void TestFrmAbout::laysOutTheDesignedControls()
{
    QPointer<frmAbout> box = openBox();
    QCOMPARE(box->size(), QSize(382, 237)); // 5730 x 3555 twips

    auto *icon = box->findChild<QLabel *>(QStringLiteral("picIcon"));
    QVERIFY(icon);
    QCOMPARE(icon->geometry(), QRect(16, 16, 32, 32));
    QVERIFY(!icon->pixmap().isNull());
    QCOMPARE(icon->pixmap().deviceIndependentSize(), QSizeF(32, 32));

    auto *grey = box->findChild<QFrame *>(QStringLiteral("Line1_0"));
    auto *white = box->findChild<QFrame *>(QStringLiteral("Line1_1"));
    QVERIFY(grey && white);
    const QImage groove = box->grab().toImage();
    QCOMPARE(groove.pixelColor(grey->geometry().center()), QColor(128, 128, 128));
    QCOMPARE(groove.pixelColor(white->geometry().center()), QColor(255, 255, 255));
    QCOMPARE(white->y(), grey->y() + grey->height());

    auto *ok = box->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    auto *sysInfo = box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"));
    QVERIFY(ok->isDefault());
    QVERIFY(ok->y() > white->y());
    QVERIFY(sysInfo->y() >= ok->geometry().bottom());
    QCOMPARE(sysInfo->geometry().right(), ok->geometry().right());
    QVERIFY(ok->geometry().right() > box->width() * 3 / 4);
    QVERIFY(box->rect().contains(sysInfo->geometry()));
    // Each text fits its label or button.
    for (QWidget *widget : {static_cast<QWidget *>(ok), static_cast<QWidget *>(sysInfo)})
        QVERIFY(widget->width() >= widget->sizeHint().width());
    auto *description = box->findChild<QLabel *>(QStringLiteral("lblDescription"));
    QVERIFY(description->heightForWidth(description->width()) <= description->height());
    QVERIFY(description->geometry().bottom() < grey->y());
}

void TestFrmAbout::isAFixedModelessDialogOfItsOwner()
{
    QPointer<frmAbout> box = openBox();
    const Qt::WindowFlags flags = box->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Dialog);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QCOMPARE(box->minimumSize(), box->maximumSize());
    QVERIFY(!box->isModal());
    QCOMPARE(box->windowModality(), Qt::NonModal);
    QCOMPARE(box->parentWidget(), m_owner.get());
    QVERIFY(box->testAttribute(Qt::WA_DeleteOnClose));
}

void TestFrmAbout::disablesItsOwnerWhileShown()
{
    auto *box =
        new frmAbout(m_owner.get(), AboutPlatform{m_registry, m_starter, m_files, m_messages});
    QVERIFY(m_owner->isEnabled()); // not before it shows
    box->show();
    QVERIFY(!m_owner->isEnabled());
    QVERIFY(box->isEnabled());
    QVERIFY(QTest::qWaitForWindowExposed(box));

    QTest::mouseClick(m_ownerButton, Qt::LeftButton);
    QCOMPARE(m_ownerClicks, 0);
    QVERIFY(box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->isEnabled());
}

void TestFrmAbout::everyWayOfClosingEnablesTheOwner_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("OK clicked") << QStringLiteral("ok");
    QTest::newRow("Escape") << QStringLiteral("escape");
    QTest::newRow("Enter") << QStringLiteral("enter");
    QTest::newRow("close box") << QStringLiteral("closebox");
}

void TestFrmAbout::everyWayOfClosingEnablesTheOwner()
{
    QFETCH(QString, way);
    QPointer<frmAbout> box = openBox();
    QVERIFY(QTest::qWaitForWindowActive(box));
    QVERIFY(!m_owner->isEnabled());
    auto *ok = box->findChild<QPushButton *>(QStringLiteral("cmdOK"));
    QCOMPARE(box->focusWidget(), ok);

    if (way == QLatin1String("ok"))
        QTest::mouseClick(ok, Qt::LeftButton);
    else if (way == QLatin1String("escape"))
        QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
    else if (way == QLatin1String("enter"))
        QTest::keyClick(box->focusWidget(), Qt::Key_Return);
    else
        box->windowHandle()->close(); // what the window system's close box does

    QVERIFY(m_owner->isEnabled());
    QVERIFY(QTest::qWaitFor([&] { return box.isNull(); }, 5000));
    QVERIFY(m_starter.started.isEmpty());

    // The owner takes input again.
    QTest::mouseClick(m_ownerButton, Qt::LeftButton);
    QCOMPARE(m_ownerClicks, 1);
}

void TestFrmAbout::enterPressesTheButtonWithTheFocus()
{
    QPointer<frmAbout> box = openBox();
    QVERIFY(QTest::qWaitForWindowActive(box));
    auto *sysInfo = box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"));
    sysInfo->setFocus();
    QTest::keyClick(sysInfo, Qt::Key_Return);
    QCOMPARE(m_starter.started, QStringList{sysInfoPath});
    QVERIFY(box);
    QVERIFY(box->isVisible());
    QVERIFY(!m_owner->isEnabled());
}

void TestFrmAbout::sysInfoButtonStartsTheProgramAndStaysOpen()
{
    QPointer<frmAbout> box = openBox();
    QTest::mouseClick(box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    QCOMPARE(m_starter.started, QStringList{sysInfoPath});
    QVERIFY(m_messages.texts.isEmpty());
    QVERIFY(box && box->isVisible());
    QVERIFY(!m_owner->isEnabled());
    QCOMPARE(m_registry.keysOpen(), 0);
}

void TestFrmAbout::sysInfoButtonSaysWhenThereIsNone()
{
    m_registry = FakeRegistry();
    QPointer<frmAbout> box = openBox();
    box->findChild<QPushButton *>(QStringLiteral("cmdSysInfo"))->click();
    QVERIFY(m_starter.started.isEmpty());
    QCOMPARE(m_messages.texts, QStringList{SysInfo::unavailableMessage});
    QCOMPARE(m_messages.titles, QStringList{QStringLiteral("Tarnwick")});
    QVERIFY(box && box->isVisible());
}

void TestFrmAbout::ownerTimersRunWhileTheBoxIsOpen()
{
    int ticks = 0;
    QTimer poll;
    poll.setInterval(10);
    connect(&poll, &QTimer::timeout, this, [&ticks] { ++ticks; });
    poll.start();

    QPointer<frmAbout> box = openBox(); // returns at once: the box does not wait to be closed
    QVERIFY(box->isVisible());
    const int ticksAtOpen = ticks;
    QVERIFY(QTest::qWaitFor([&] { return ticks >= ticksAtOpen + 5; }, 5000));
    QVERIFY(box && box->isVisible());
    QVERIFY(!m_owner->isEnabled());
}

TARNWICK_TEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
