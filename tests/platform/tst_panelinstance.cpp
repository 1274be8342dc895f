// The one-panel claim against plain POSIX peers, doing what is left behind or answers on the
// socket: the file of a killed panel, a panel that answers in pieces, half a line, too much,
// or nothing at all.
#include "PanelInstance.h"
#include "TestMain.h"
#include "UnixPeer.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLockFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace UnixPeer;

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

const QByteArray raiseRequest = R"({"command":"raise"})"
                                "\n";

mode_t modeOf(const QString &path)
{
    struct stat info
    {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode : 0;
}

// What a panel may have left at its socket's path.
enum class Left { Nothing, DeadSocket, PlainFile };

} // namespace

Q_DECLARE_METATYPE(Left)
Q_DECLARE_METATYPE(PanelInstance::Claim)

class TestPanelInstance : public QObject
{
    Q_OBJECT

    std::optional<QTemporaryDir> m_runtime;

private Q_SLOTS:
    // Each test its own runtime folder and a store no panel holds.
    void init()
    {
        m_runtime.emplace();
        QVERIFY(m_runtime->isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
        QFile::remove(PanelInstance::lockPath());
    }

    void theFirstPanelListensInPlaceOfWhatWasLeftForItsUserAlone_data()
    {
        QTest::addColumn<Left>("left");
        QTest::newRow("nothing") << Left::Nothing;
        // A killed panel's socket stays behind with nobody listening.
        QTest::newRow("a killed panel's socket") << Left::DeadSocket;
        QTest::newRow("a plain file") << Left::PlainFile;
    }
    void theFirstPanelListensInPlaceOfWhatWasLeftForItsUserAlone()
    {
        QFETCH(Left, left);
        const QString path = PanelInstance::socketPath();
        QVERIFY(!path.isEmpty());
        if (left == Left::DeadSocket) {
            const int dead = listenAt(path);
            QVERIFY(dead >= 0);
            ::close(dead); // the file stays, as after a kill
            QVERIFY(S_ISSOCK(modeOf(path)));
            QCOMPARE(connectTo(path), -1);
        } else if (left == Left::PlainFile) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        {
            PanelInstance instance;
            QCOMPARE(instance.claim(), PanelInstance::Claim::Claimed);
            QVERIFY(instance.server());
            QVERIFY(instance.server()->isListening());
            QVERIFY(S_ISSOCK(modeOf(path)));
            QCOMPARE(modeOf(path) & 0777, mode_t(0600));
            QCOMPARE(modeOf(PanelInstance::socketFolder()) & 0777, mode_t(0700));
            const int client = connectTo(path);
            QVERIFY(client >= 0);
            ::close(client);
        }
        // The panel's socket goes with it.
        QVERIFY(!QFile::exists(path));
        QCOMPARE(connectTo(path), -1);
    }

    void aSecondStartTakesTheFirstLineWholeOrNotAtAll_data()
    {
        QTest::addColumn<QList<QByteArray>>("answer"); // sent in these pieces, then hung up
        QTest::addColumn<bool>("answers");             // false: nothing, until given up
        QTest::addColumn<PanelInstance::Claim>("claim");
        using Claim = PanelInstance::Claim;
        QTest::newRow("the reply")
            << QList<QByteArray>{"{\"ok\":true}\n"} << true << Claim::OtherRaised;
        QTest::newRow("the reply and a frame event")
            << QList<QByteArray>{"{\"ok\":true}\n{\"event\":\"frame\"}\n"} << true
            << Claim::OtherRaised;
        QTest::newRow("the reply in pieces")
            << QList<QByteArray>{"{\"ok\"", ":tr", "ue}", "\n"} << true << Claim::OtherRaised;
        QTest::newRow("half the reply, then gone")
            << QList<QByteArray>{"{\"ok\":tr"} << true << Claim::OtherUnreachable;
        QTest::newRow("the reply without its line feed")
            << QList<QByteArray>{"{\"ok\":true}"} << true << Claim::OtherUnreachable;
        QTest::newRow("a refusal") << QList<QByteArray>{"{\"ok\":false,\"error\":\"busy\"}\n"}
                                   << true << Claim::OtherUnreachable;
        QTest::newRow("a service")
            << QList<QByteArray>{"{\"error\":\"service\",\"message\":\"...\",\"ok\":false}\n"}
            << true << Claim::OtherIsService;
        QTest::newRow("a service's error cut short")
            << QList<QByteArray>{"{\"error\":\"service\""} << true << Claim::OtherUnreachable;
        QTest::newRow("a line that never ends")
            << QList<QByteArray>{QByteArray(256 * 1024, '{')} << false << Claim::OtherUnreachable;
        QTest::newRow("gone without a word")
            << QList<QByteArray>{} << true << Claim::OtherUnreachable;
        QTest::newRow("never a word") << QList<QByteArray>{} << false << Claim::OtherUnreachable;
    }
    void aSecondStartTakesTheFirstLineWholeOrNotAtAll()
    {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, answers);
        QFETCH(PanelInstance::Claim, claim);
        // The first panel's lock, held by this process, and a socket that answers as the row
        // says from a thread of its own: the second start asks without an event loop.
        QVERIFY(QDir().mkpath(QFileInfo(PanelInstance::lockPath()).absolutePath()));
        QLockFile first(PanelInstance::lockPath());
        QVERIFY(first.tryLock(0));
        const int listener = listenAt(PanelInstance::socketPath());
        QVERIFY(listener >= 0);
        const auto closeListener = qScopeGuard([listener] { ::close(listener); });

        QByteArray request;
        bool accepted = false;
        std::thread peer([&] {
            pollfd incoming{listener, POLLIN, 0};
            if (::poll(&incoming, 1, patience) != 1)
                return;
            const int socket = ::accept(listener, nullptr, nullptr);
            accepted = socket >= 0;
            char chunk[64];
            while (accepted && !request.endsWith('\n')) {
                const ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
                if (n <= 0)
                    break;
                request.append(chunk, n);
            }
            for (const QByteArray &piece : answer)
                sendAll(socket, piece);
            if (!answers) // keeps the connection until the asker has given up and gone
                readToEnd(socket);
            ::close(socket);
        });
        PanelInstance second;
        const PanelInstance::Claim got = second.claim();
        peer.join();
        QVERIFY(accepted);
        QCOMPARE(request, raiseRequest);
        QCOMPARE(got, claim);
        QVERIFY(!second.server()); // it never listens
    }

    void aHeldLockWithNobodyOnTheSocketIsUnreachable()
    {
        QVERIFY(QDir().mkpath(QFileInfo(PanelInstance::lockPath()).absolutePath()));
        QLockFile first(PanelInstance::lockPath());
        QVERIFY(first.tryLock(0));
        PanelInstance second;
        QCOMPARE(second.claim(), PanelInstance::Claim::OtherUnreachable);
        QVERIFY(!QFile::exists(PanelInstance::socketPath()));
    }
};

TARNWICK_TEST_MAIN(TestPanelInstance)
#include "tst_panelinstance.moc"
