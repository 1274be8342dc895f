// The panel's local socket layer against plain POSIX peers, doing what a client script may:
// end its sending side after a request, flood, read slowly, never answer, hang up.
#include "TestMain.h"
#include "UnixAddress.h"
#include "UnixConnection.h"
#include "UnixRequest.h"
#include "UnixServer.h"

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

// A blocking client socket connected to `path`; -1 when none answers there.
int connectTo(const QString &path)
{
    sockaddr_un address;
    if (!toUnixAddress(path, address))
        return -1;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Everything the peer sends until it ends the connection.
QByteArray readToEnd(int socket)
{
    QByteArray all;
    char chunk[4096];
    for (ssize_t n; (n = ::recv(socket, chunk, sizeof chunk, 0)) != 0;) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        all.append(chunk, n);
    }
    return all;
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

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('a' + i % 23);
    return bytes;
}

// A server listening in a folder of its own, and the connection it accepts next.
struct Listening
{
    QTemporaryDir folder;
    QString path = folder.filePath(u"socket"_s);
    UnixServer server;

    UnixConnection *accepted()
    {
        UnixConnection *connection = nullptr;
        const bool came = QTest::qWaitFor(
            [&] { return (connection = server.nextPendingConnection()) != nullptr; }, patience);
        return came ? connection : nullptr;
    }

    // Listens, connects a blocking client and takes the connection it makes; false when a
    // step fails. The client is the caller's to close.
    bool link(int &client, UnixConnection *&connection)
    {
        if (!server.listen(path))
            return false;
        client = connectTo(path);
        connection = client >= 0 ? accepted() : nullptr;
        return connection != nullptr;
    }
};

} // namespace

class TestUnixSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listensInPlaceOfALeftFileForItsUserAlone()
    {
        Listening rig;
        QFile left(rig.path);
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.close();

        QVERIFY2(rig.server.listen(rig.path), qPrintable(rig.server.errorString()));
        struct stat info
        {};
        QCOMPARE(::stat(QFile::encodeName(rig.path).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
        QCOMPARE(info.st_mode & 0777, mode_t(0600));
        const int client = connectTo(rig.path);
        QVERIFY(client >= 0);
        ::close(client);

        rig.server.close();
        QVERIFY(!QFile::exists(rig.path));
        QCOMPARE(connectTo(rig.path), -1);
    }

    void aPathTooLongForASocketIsRefusedWithItsReason()
    {
        Listening rig;
        const QString path = rig.folder.filePath(QString(120, u'x'));
        QVERIFY(!rig.server.listen(path));
        QVERIFY(!rig.server.errorString().isEmpty());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(UnixRequest::firstLine(path, "ping\n", patience), std::nullopt);
    }

    void aPeerThatEndsItsSendingSideStillGetsItsReply()
    {
        Listening rig;
        int client = -1;
        UnixConnection *connection = nullptr;
        QVERIFY(rig.link(client, connection));
        const auto closeClient = qScopeGuard([client] { ::close(client); });
        QVERIFY(sendAll(client, "ping\n"));
        QCOMPARE(::shutdown(client, SHUT_WR), 0);

        QSignalSpy ended(connection, &UnixConnection::disconnected);
        connect(connection, &QIODevice::readyRead, connection, [connection] {
            while (connection->canReadLine())
                if (connection->readLine() == "ping\n")
                    connection->write("pong\n");
        });
        QByteArray got;
        std::thread reader([&] { got = readToEnd(client); });
        const bool gone = QTest::qWaitFor([&] { return !ended.isEmpty(); }, patience);
        connection->abort(); // a reader still blocked is let go
        reader.join();
        QVERIFY(gone);
        QCOMPARE(got, QByteArray("pong\n"));
        QCOMPARE(connection->state(), UnixConnection::State::Unconnected);
        QTest::qWait(0); // a second disconnected() would be queued behind the first
        QCOMPARE(ended.size(), 1);
    }

    void aFloodWaitsInTheSystemWhileTheLimitIsUnread()
    {
        Listening rig;
        int client = -1;
        UnixConnection *connection = nullptr;
        QVERIFY(rig.link(client, connection));
        constexpr qint64 limit = 1000;
        connection->setReadBufferSize(limit);

        const QByteArray sent = pattern(300 * 1024);
        std::thread writer([&] {
            sendAll(client, sent);
            ::close(client);
        });
        QByteArray received;
        qint64 mostHeld = 0;
        connect(connection, &QIODevice::readyRead, connection, [&] {
            mostHeld = std::max(mostHeld, connection->bytesAvailable());
            while (connection->bytesAvailable() > 0)
                received += connection->read(333);
        });
        // The connection ends once the writer's last byte is read.
        QSignalSpy ended(connection, &UnixConnection::disconnected);
        const bool gone = ended.wait(patience);
        connection->abort(); // a writer still blocked is let go
        writer.join();
        QVERIFY2(gone, qPrintable(u"%1 of %2 bytes"_s.arg(received.size()).arg(sent.size())));
        QCOMPARE(received, sent);
        QVERIFY(mostHeld <= limit);
    }

    void whatIsWrittenGoesOutBeforeTheConnectionEnds()
    {
        Listening rig;
        int client = -1;
        UnixConnection *connection = nullptr;
        QVERIFY(rig.link(client, connection));
        const auto closeClient = qScopeGuard([client] { ::close(client); });
        QSignalSpy ended(connection, &UnixConnection::disconnected);

        // More than the system holds at once, so most of it waits for the reader.
        const QByteArray written = pattern(2 * 1024 * 1024);
        QCOMPARE(connection->write(written), written.size());
        connection->disconnectFromServer();
        QCOMPARE(connection->state(), UnixConnection::State::Closing);
        QCOMPARE(connection->write("late"), -1);

        QByteArray got;
        std::thread reader([&] { got = readToEnd(client); });
        const bool gone = QTest::qWaitFor([&] { return !ended.isEmpty(); }, patience);
        connection->abort(); // a reader still blocked is let go
        reader.join();
        QVERIFY(gone);
        QCOMPARE(got.size(), written.size());
        QCOMPARE(got, written);
    }

    void aPeerGoneWhileWrittenToEndsTheConnection()
    {
        Listening rig;
        int client = -1;
        UnixConnection *connection = nullptr;
        QVERIFY(rig.link(client, connection));
        QSignalSpy ended(connection, &UnixConnection::disconnected);
        ::close(client);
        connection->write(pattern(64 * 1024));
        QVERIFY(QTest::qWaitFor([&] { return !ended.isEmpty(); }, patience));
        QCOMPARE(connection->state(), UnixConnection::State::Unconnected);
        QCOMPARE(connection->bytesToWrite(), 0);
    }

    void aRequestGetsTheFirstLineOfItsReply_data()
    {
        QTest::addColumn<QList<QByteArray>>("answer"); // sent in these pieces, then hung up
        QTest::addColumn<bool>("answers");             // false: nothing, until given up
        QTest::addColumn<std::optional<QByteArray>>("line");
        QTest::newRow("a line and more")
            << QList<QByteArray>{"pong\nmore\n"} << true << std::optional<QByteArray>("pong\n");
        QTest::newRow("a line in pieces")
            << QList<QByteArray>{"po", "n", "g\n"} << true << std::optional<QByteArray>("pong\n");
        QTest::newRow("half a line, then gone")
            << QList<QByteArray>{"pon"} << true << std::optional<QByteArray>();
        QTest::newRow("gone without a word")
            << QList<QByteArray>{} << true << std::optional<QByteArray>();
        QTest::newRow("never a word")
            << QList<QByteArray>{} << false << std::optional<QByteArray>();
    }
    void aRequestGetsTheFirstLineOfItsReply()
    {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, answers);
        QFETCH(std::optional<QByteArray>, line);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"socket"_s);
        sockaddr_un address;
        QVERIFY(toUnixAddress(path, address));
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeListener = qScopeGuard([listener] { ::close(listener); });
        QCOMPARE(::bind(listener, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
        QCOMPARE(::listen(listener, 1), 0);

        QByteArray request;
        std::thread peer([&] {
            const int socket = ::accept(listener, nullptr, nullptr);
            char chunk[64];
            while (!request.endsWith('\n')) {
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
        // Only the silent peer is waited out; every other row ends well before the patience.
        const int patienceMs = answers ? patience : 300;
        const std::optional<QByteArray> got = UnixRequest::firstLine(path, "ping\n", patienceMs);
        peer.join();
        QCOMPARE(request, QByteArray("ping\n"));
        QCOMPARE(got, line);
    }

    void aRequestToNoSocketIsUnanswered()
    {
        QTemporaryDir folder;
        QCOMPARE(UnixRequest::firstLine(folder.filePath(u"none"_s), "ping\n", patience),
                 std::nullopt);
    }
};

TARNWICK_TEST_MAIN(TestUnixSocket)
#include "tst_unixsocket.moc"
