// The one-panel claim against plain POSIX peers, doing what is left behind or answers on the
// socket: the file of a killed panel, a panel that answers in pieces, half a line, too much,
// or nothing at all.
#include "PanelInstance.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLockFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

const QByteArray raiseRequest = R"({"command":"raise"})"
                                "\n";

bool addressOf(const QString &path, sockaddr_un &address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.isEmpty() || std::size_t(encoded.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, encoded.constData(), std::size_t(encoded.size()));
    return true;
}

// A blocking Unix stream socket bound to `path` and listening; -1 when that fails.
int listenAt(const QString &path)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(socket, 4) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// A blocking client socket connected to `path`; -1 when none answers there.
int connectTo(const QString &path)
{
    sockaddr_un address;
    if (!addressOf(path, address))
        return -1;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

bool sendAll(int socket, const QByteArray &bytes)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t n = ::send(socket, bytes.constData() + sent, std::size_t(bytes.size() - sent),
                                 MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR)
            return false;
        sent += std::max<ssize_t>(n, 0);
    }
    return true;
}

// Reads until the peer ends the connection.
void drain(int socket)
{
    char chunk[4096];
    for (ssize_t n; (n = ::recv(socket, chunk, sizeof chunk, 0)) != 0;)
        if (n < 0 && errno != EINTR)
            break;
}

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
                drain(socket);
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
