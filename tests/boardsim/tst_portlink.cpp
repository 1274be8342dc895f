#include "PortLink.h"
#include "PseudoTerminal.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

// Placing the COM<n> link: what it may replace and what it must leave alone.
class TestPortLink : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static bool makeLink(const QString &link, const QString &target)
    {
        return QFile::link(target, link);
    }

    static QString linkTarget(const QString &link) { return QFileInfo(link).symLinkTarget(); }

    // A /dev/pts path that no pseudo-terminal has: what a crashed board leaves behind.
    static QString goneDevice()
    {
        for (int number = 9999;; --number) {
            const QString candidate = QStringLiteral("/dev/pts/%1").arg(number);
            if (!QFileInfo::exists(candidate))
                return candidate;
        }
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        for (const QFileInfo &entry :
             QDir(m_dir.path())
                 .entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)) {
            if (entry.isDir() && !entry.isSymLink())
                QDir(entry.filePath()).removeRecursively();
            else
                QFile::remove(entry.filePath());
        }
    }

    void createsAbsentLink()
    {
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        QVERIFY2(PortLink::place(path(QStringLiteral("COM1")), pty.slavePath(), &error),
                 qPrintable(error));
        QCOMPARE(linkTarget(path(QStringLiteral("COM1"))), pty.slavePath());
        // Nothing is left behind beside it.
        QCOMPARE(
            QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            QStringList{QStringLiteral("COM1")});
    }

    void replacesLinkOfAGoneBoard()
    {
        const QString link = path(QStringLiteral("COM2"));
        QVERIFY(makeLink(link, goneDevice()));
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        QVERIFY2(PortLink::place(link, pty.slavePath(), &error), qPrintable(error));
        QCOMPARE(linkTarget(link), pty.slavePath());
    }

    void refusesLinkToALiveDevice()
    {
        PseudoTerminal other;
        PseudoTerminal mine;
        QString error;
        QVERIFY(other.open(&error));
        QVERIFY(mine.open(&error));
        const QString link = path(QStringLiteral("COM3"));
        QVERIFY(makeLink(link, other.slavePath()));

        QVERIFY(!PortLink::place(link, mine.slavePath(), &error));
        QVERIFY(error.contains(link));
        QVERIFY(error.contains(other.slavePath()));
        QCOMPARE(linkTarget(link), other.slavePath());
    }

    void refusesUsersLinkToAnUnpluggedAdapter()
    {
        const QString link = path(QStringLiteral("COM4"));
        const QString adapter = QStringLiteral("/dev/serial/by-id/usb-not-plugged-in-port0");
        QVERIFY(makeLink(link, adapter));
        PseudoTerminal pty;
        QString error;
        QVERIFY(pty.open(&error));
        QVERIFY(!PortLink::place(link, pty.slavePath(), &error));
        QVERIFY(error.contains(adapter));
        QCOMPARE(linkTarget(link), adapter);
    }

    void refusesFile()
    {
        const QString file = path(QStringLiteral("COM5"));
        {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write("keep me");
        }
        PseudoTerminal pty;
        QString error;
        QVERIFY(pty.open(&error));
        QVERIFY(!PortLink::place(file, pty.slavePath(), &error));
        QVERIFY(error.contains(file));
        QFile in(file);
        QVERIFY(in.open(QIODevice::ReadOnly));
        QCOMPARE(in.readAll(), QByteArray("keep me"));
    }

    void refusesFolder()
    {
        const QString folder = path(QStringLiteral("COM6"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/inside")));
        PseudoTerminal pty;
        QString error;
        QVERIFY(pty.open(&error));
        QVERIFY(!PortLink::place(folder, pty.slavePath(), &error));
        QVERIFY(QFileInfo(folder + QStringLiteral("/inside")).isDir());
    }

    void removesOnlyItsOwnLink()
    {
        const QString mine = path(QStringLiteral("COM7"));
        const QString theirs = path(QStringLiteral("COM8"));
        QVERIFY(makeLink(mine, QStringLiteral("/dev/pts/41")));
        QVERIFY(makeLink(theirs, QStringLiteral("/dev/pts/42")));
        PortLink::removeIfLeadsTo(mine, QStringLiteral("/dev/pts/41"));
        PortLink::removeIfLeadsTo(theirs, QStringLiteral("/dev/pts/41"));
        QVERIFY(!QFileInfo(mine).isSymLink());
        QCOMPARE(linkTarget(theirs), QStringLiteral("/dev/pts/42"));
    }

    // The panel's frames carry any byte value: the line must pass them all unchanged, in
    // both directions, with no echo.
    void slaveIsInRawMode()
    {
        PseudoTerminal pty;
        QString error;
        QVERIFY2(pty.open(&error), qPrintable(error));
        const int fd = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0);
        termios mode{};
        QCOMPARE(::tcgetattr(fd, &mode), 0);
        ::close(fd);
        QCOMPARE(mode.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
        QCOMPARE(mode.c_iflag & (ICRNL | INLCR | IGNCR | IXON | ISTRIP), tcflag_t(0));
        QCOMPARE(mode.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(mode.c_cflag & CSIZE, tcflag_t(CS8));
    }
};

TARNWICK_TEST_MAIN(TestPortLink)
#include "tst_portlink.moc"
