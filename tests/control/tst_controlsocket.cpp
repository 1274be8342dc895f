// The control socket against everything a client may do wrong, and the rules a command
// meets, with the panel on the simulated board: each bad request gets its error and leaves
// the connection usable, each limit ends the connection, and none of it reaches the board
// or the settings. Plain POSIX sockets stand in for a script where what it does with the
// connection matters: ending its sending side, flooding, reading as it goes or not at all.
#include "ControlClient.h"
#include "ControlRig.h"
#include "TestMain.h"
#include "UnixPeer.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTimer>
#include <atomic>
#include <optional>
#include <sys/socket.h>
#include <thread>

using namespace ControlTest;
using namespace Qt::StringLiterals;

namespace {

// A client of the socket that waits with the event loop running, so the panel in this
// process can answer.
struct Client
{
    QLocalSocket socket;

    bool connect()
    {
        socket.connectToServer(PanelInstance::socketPath());
        return QTest::qWaitFor([&] { return socket.state() == QLocalSocket::ConnectedState; },
                               patience);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    std::optional<QJsonObject> reply()
    {
        if (!QTest::qWaitFor([&] { return socket.canReadLine(); }, patience))
            return std::nullopt;
        const QJsonDocument document = QJsonDocument::fromJson(socket.readLine());
        return document.isObject() ? std::optional(document.object()) : std::nullopt;
    }
    std::optional<QJsonObject> ask(const QByteArray &line)
    {
        send(line + '\n');
        return reply();
    }
    bool awaitDisconnected()
    {
        return QTest::qWaitFor([&] { return socket.state() == QLocalSocket::UnconnectedState; },
                               patience);
    }
};

QString errorOf(const std::optional<QJsonObject> &reply)
{
    if (!reply)
        return u"(no reply)"_s;
    if (reply->value(u"ok"_s).toBool())
        return u"ok"_s;
    return reply->value(u"error"_s).toString();
}

const QByteArray statusRequest = R"({"command":"status"})";

// The whole lines of what a client received, without their line feeds: a line cut short at
// the end is left out.
QList<QByteArray> wholeLines(const QByteArray &received)
{
    QList<QByteArray> lines = received.split('\n');
    lines.removeLast();
    return lines;
}

QString errorOf(const QByteArray &line)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    return errorOf(document.isObject() ? std::optional(document.object()) : std::nullopt);
}

// Everything the panel sends to a plain client socket until it ends the connection, read
// with the event loop running; nothing when the connection is still open after the patience.
std::optional<QByteArray> receivedUntilClosed(int socket)
{
    QByteArray received;
    std::atomic<bool> ended = false;
    std::thread reader([&] {
        received = UnixPeer::readToEnd(socket);
        ended = true;
    });
    const bool closed = QTest::qWaitFor([&] { return ended.load(); }, patience);
    ::shutdown(socket, SHUT_RDWR); // a reader still blocked is let go
    reader.join();
    return closed ? std::optional(received) : std::nullopt;
}

// The most that any connection of the panel's holds read from the system and not yet handled.
qint64 mostHeldUnread(const ControlServer &server)
{
    qint64 most = 0;
    for (const ControlClient *client : server.findChildren<ControlClient *>())
        for (const QLocalSocket *socket : client->findChildren<QLocalSocket *>())
            most = std::max(most, socket->bytesAvailable());
    return most;
}

// A status request padded with blanks to exactly `length` bytes.
QByteArray paddedStatusRequest(qsizetype length)
{
    return statusRequest + QByteArray(length - statusRequest.size(), ' ');
}

// Keeps the resume timer of a relay command running far longer than a poll interval, as
// if a command had just run and the timer could not fire; and lets it go again.
void holdResumeTimer(Rig &rig)
{
    rig.window->poll().Timer3->start(60000);
}
void releaseResumeTimer(Rig &rig)
{
    QTimer *timer = rig.window->poll().Timer3;
    timer->stop();
    timer->setInterval(1);
}

// The size of a status reply line, as a client of the rig's panel receives it, once that
// client has gone again; 0 when none came.
qsizetype statusReplySize(Rig &rig)
{
    Client client;
    if (!client.connect())
        return 0;
    client.send(statusRequest + '\n');
    if (!QTest::qWaitFor([&] { return client.socket.canReadLine(); }, patience))
        return 0;
    const qsizetype size = client.socket.readLine().size();
    client.socket.abort();
    return QTest::qWaitFor([&] { return rig.server->clientCount() == 0; }, patience) ? size : 0;
}

enum class Situation { BoardNeverAnswered, WdtChecked, ResumeTimerStuck, SetupOpen };

} // namespace

Q_DECLARE_METATYPE(Situation)

class TestControlSocket : public QObject
{
    Q_OBJECT

    RuntimeFolder m_runtime;

private Q_SLOTS:
    void theWindowsExitEndsAPulseBeforeThePortCloses()
    {
        Rig rig;
        QVERIFY(rig.start());
        std::optional<PanelCore::Outcome> answer;
        rig.window->core().requestPulse(30, 60000,
                                        [&](const PanelCore::Outcome &o) { answer = o; });
        QVERIFY(QTest::qWaitFor([&] { return answer.has_value(); }, patience));
        QVERIFY(!answer->refusal);
        QVERIFY(QTest::qWaitFor([&] { return rig.board.state().relay(31); }, patience));
        rig.window->close(); // File > Exit's path
        rig.server.reset();
        rig.core.reset();
        rig.window.reset();
        rig.port.close();
        QVERIFY(QTest::qWaitFor([&] { return !rig.board.state().relay(31); }, patience));
    }

    void badRequestsGetTheirErrorAndTheConnectionServesOn_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("error");
        QTest::newRow("not JSON") << "relay R5 on"_ba << u"bad-request"_s;
        QTest::newRow("cut short") << "{\"command\":\"rel"_ba << u"bad-request"_s;
        QTest::newRow("empty line") << ""_ba << u"bad-request"_s;
        QTest::newRow("array") << R"(["status"])"_ba << u"bad-request"_s;
        QTest::newRow("bytes that are no text") << "\xff\xfe\x00\x01"_ba << u"bad-request"_s;
        QTest::newRow("unknown command") << R"({"command":"reboot"})"_ba << u"unknown-command"_s;
        QTest::newRow("command a number") << R"({"command":7})"_ba << u"bad-request"_s;
        QTest::newRow("relay as text")
            << R"({"command":"relay","relay":"5","action":"on"})"_ba << u"bad-request"_s;
        QTest::newRow("relay 65") << R"({"command":"relay","relay":65,"action":"on"})"_ba
                                  << u"bad-request"_s;
        QTest::newRow("action unknown")
            << R"({"command":"relay","relay":5,"action":"flip"})"_ba << u"bad-request"_s;
        QTest::newRow("macro 0") << R"({"command":"macro","macro":0})"_ba << u"bad-request"_s;
        QTest::newRow("aout 256") << R"({"command":"aout","output":1,"value":256})"_ba
                                  << u"bad-request"_s;
        QTest::newRow("field of another command")
            << R"({"command":"status","relay":5})"_ba << u"bad-request"_s;
    }
    void badRequestsGetTheirErrorAndTheConnectionServesOn()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, error);
        Rig rig;
        QVERIFY(rig.start());
        const qsizetype savesBefore = rig.store.saves().size();
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        Client client;
        QVERIFY(client.connect());

        const std::optional<QJsonObject> reply = client.ask(line);
        QCOMPARE(errorOf(reply), error);
        QVERIFY(!reply->value(u"message"_s).toString().isEmpty());
        QCOMPARE(errorOf(client.ask(statusRequest)), u"ok"_s);

        // The poll runs on, nothing reached the board and nothing was stored.
        QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QCOMPARE(rig.store.saves().size(), savesBefore);
    }

    void limitsEndTheConnection_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("error"); // "ok": answered, and the connection stays
        QTest::newRow("a line of 64 KiB")
            << paddedStatusRequest(ControlClient::maxLineLength) + '\n'
            << u"ok"_s;
        QTest::newRow("a line of 64 KiB and one byte")
            << paddedStatusRequest(ControlClient::maxLineLength + 1) + '\n'
            << u"too-long"_s;
        QTest::newRow("a megabyte without a line feed")
            << QByteArray(1024 * 1024, '{') << u"too-long"_s;
        QTest::newRow("nothing at all") << QByteArray() << u"idle"_s;
        QTest::newRow("half a line") << "{\"command\":"_ba << u"idle"_s;
    }
    void limitsEndTheConnection()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QString, error);
        Rig rig;
        QVERIFY(rig.start());
        rig.server->setIdleTimeout(300);
        const qsizetype savesBefore = rig.store.saves().size();
        Client client;
        QVERIFY(client.connect());
        client.send(sent);

        const QString got = errorOf(client.reply());
        // A client still writing when the panel hangs up may lose the reply with the write
        // error; it is dropped all the same.
        if (!(got == u"(no reply)"_s && sent.size() > 2 * ControlClient::maxLineLength))
            QCOMPARE(got, error);
        if (error == u"ok"_s) {
            QCOMPARE(client.socket.state(), QLocalSocket::ConnectedState);
        } else {
            QVERIFY(client.awaitDisconnected());
            QVERIFY(QTest::qWaitFor([&] { return rig.server->clientCount() == 0; }, patience));
        }
        QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(rig.store.saves().size(), savesBefore);
    }

    void aWatchingClientIsNotDroppedForSilence()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.server->setIdleTimeout(300);
        Client watcher;
        QVERIFY(watcher.connect());
        QCOMPARE(errorOf(watcher.ask(R"({"command":"watch"})")), u"ok"_s);
        // Frames keep coming for longer than the idle time: five polls of 200 ms at least.
        for (int frame = 0; frame < 5; ++frame) {
            const std::optional<QJsonObject> event = watcher.reply();
            QVERIFY(event);
            QCOMPARE(event->value(u"event"_s).toString(), u"frame"_s);
        }
        QCOMPARE(watcher.socket.state(), QLocalSocket::ConnectedState);
    }

    void aThousandTogglesKeepToTheLinesRateAndThePollGoesOn()
    {
        Rig rig;
        QVERIFY(rig.start());
        const WireLog wire(rig.board);
        Client client;
        QVERIFY(client.connect());
        std::array<int, 64> toggles{};
        QByteArray lines;
        for (int i = 0; i < 1000; ++i) {
            const int relay = (i * 7) % 64 + 1;
            ++toggles[std::size_t(relay - 1)];
            lines += R"({"command":"relay","relay":)" + QByteArray::number(relay) +
                     R"(,"action":"toggle"})"
                     "\n";
        }
        client.send(lines);
        for (int i = 0; i < 1000; ++i)
            QCOMPARE(errorOf(client.reply()), u"ok"_s);
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (int relay = 1; relay <= 64; ++relay)
                    if (rig.board.state().relay(relay) !=
                        (toggles[std::size_t(relay - 1)] % 2 == 1))
                        return false;
                return true;
            },
            patience));
        QVERIFY(rig.awaitFreshFrame());
        const QString pacing = wire.pacingProblem(rig.window->poll().pollInterval());
        QVERIFY2(pacing.isEmpty(), qPrintable(pacing));
    }

    void clientsThatLeaveBeforeTheirReplyHarmNoOne()
    {
        Rig rig;
        QVERIFY(rig.start());
        {
            // Many requests, gone before the first reply is read.
            Client hasty;
            QVERIFY(hasty.connect());
            QByteArray many;
            for (int i = 0; i < 50; ++i)
                many += statusRequest + '\n';
            hasty.send(many);
            hasty.socket.abort();
        }
        {
            // A relay command waiting for the guard, gone before it is answered.
            Client waiting;
            QVERIFY(waiting.connect());
            holdResumeTimer(rig);
            waiting.send(R"({"command":"relay","relay":2,"action":"toggle"})"
                         "\n");
            QVERIFY(
                QTest::qWaitFor([&] { return rig.window->core().waitingCount() == 1; }, patience));
            waiting.socket.abort();
            QVERIFY(
                QTest::qWaitFor([&] { return rig.window->core().waitingCount() == 0; }, patience));
            releaseResumeTimer(rig);
        }
        QVERIFY(QTest::qWaitFor([&] { return rig.server->clientCount() == 0; }, patience));
        Client later;
        QVERIFY(later.connect());
        QCOMPARE(errorOf(later.ask(statusRequest)), u"ok"_s);
        QVERIFY(rig.awaitFreshFrame());
    }

    void fiftyClientsAtOnceAreAllServed()
    {
        Rig rig;
        QVERIFY(rig.start());
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < 50; ++i) {
            clients.push_back(std::make_unique<Client>());
            clients.back()->socket.connectToServer(PanelInstance::socketPath());
        }
        for (auto &client : clients)
            client->send(statusRequest + '\n');
        for (auto &client : clients) {
            const std::optional<QJsonObject> reply = client->reply();
            QCOMPARE(errorOf(reply), u"ok"_s);
            QCOMPARE(reply->value(u"status"_s)[u"relays"_s].toArray().size(), 64);
        }
        QCOMPARE(rig.server->clientCount(), 50);
        clients.clear();
        QVERIFY(QTest::qWaitFor([&] { return rig.server->clientCount() == 0; }, patience));
    }

    void oneClientBeyondTheLimitIsTurnedAway()
    {
        Rig rig;
        QVERIFY(rig.start());
        std::vector<std::unique_ptr<Client>> clients;
        for (int i = 0; i < ControlServer::maxClients + 1; ++i) {
            clients.push_back(std::make_unique<Client>());
            clients.back()->socket.connectToServer(PanelInstance::socketPath());
        }
        QVERIFY(QTest::qWaitFor(
            [&] { return rig.server->clientCount() == ControlServer::maxClients; }, patience));
        int turnedAway = 0;
        for (auto &client : clients) {
            client->send(statusRequest + '\n');
            const QString error = errorOf(client->reply());
            QVERIFY2(error == u"ok"_s || error == u"too-many-clients"_s, qPrintable(error));
            turnedAway += error == u"too-many-clients"_s;
        }
        QCOMPARE(turnedAway, 1);
    }

    // A script that pipes its requests in and ends its sending side, as `nc -N` or socat do.
    void aClientThatEndsItsSendingSideStillGetsItsReplies_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QStringList>("replies"); // the error of each, "ok" for none
        QTest::newRow("status") << statusRequest + '\n' << QStringList{u"ok"_s};
        QTest::newRow("raise") << R"({"command":"raise"})"
                                  "\n"_ba
                               << QStringList{u"ok"_s};
        QTest::newRow("a bad request") << "relay R5 on\n"_ba << QStringList{u"bad-request"_s};
        QTest::newRow("three in one write")
            << statusRequest + "\n{\"command\":\"reboot\"}\n" + statusRequest + '\n'
            << QStringList{u"ok"_s, u"unknown-command"_s, u"ok"_s};
        QTest::newRow("the last line cut short")
            << statusRequest + '\n' + statusRequest << QStringList{u"ok"_s};
    }
    void aClientThatEndsItsSendingSideStillGetsItsReplies()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QStringList, replies);
        Rig rig;
        QVERIFY(rig.start());
        const int client = UnixPeer::connectTo(PanelInstance::socketPath());
        QVERIFY(client >= 0);
        const auto closeClient = qScopeGuard([client] { ::close(client); });
        QVERIFY(UnixPeer::sendAll(client, sent));
        QCOMPARE(::shutdown(client, SHUT_WR), 0);

        // The panel ends the connection once it has read the client's end.
        const std::optional<QByteArray> received = receivedUntilClosed(client);
        QVERIFY(received);
        QVERIFY(received->endsWith('\n'));
        QStringList got;
        for (const QByteArray &line : wholeLines(*received))
            got << errorOf(line);
        QCOMPARE(got, replies);
        QVERIFY(QTest::qWaitFor([&] { return rig.server->clientCount() == 0; }, patience));
    }

    void aFloodingClientDoesNotStarveTheOthers()
    {
        Rig rig;
        QVERIFY(rig.start());
        // Requests with short replies, which the flooder reads as they come: the flood is
        // served for long, and in full.
        constexpr int flood = 100000;
        const QByteArray request = R"({"command":"raise"})"
                                   "\n";
        const QByteArray requests = request.repeated(flood);
        const int flooder = UnixPeer::connectTo(PanelInstance::socketPath());
        QVERIFY(flooder >= 0);
        std::atomic<int> answered = 0;
        std::thread writer([&] { UnixPeer::sendAll(flooder, requests); });
        std::thread reader([&] {
            char chunk[4096];
            for (ssize_t n; (n = ::recv(flooder, chunk, sizeof chunk, 0)) > 0;)
                answered += int(std::count(chunk, chunk + n, '\n'));
        });
        const auto stop = qScopeGuard([&] {
            ::shutdown(flooder, SHUT_RDWR); // threads still blocked are let go
            writer.join();
            reader.join();
            ::close(flooder);
        });
        QVERIFY(QTest::qWaitFor([&] { return answered > 0; }, patience));

        qint64 mostHeld = 0;
        Client other;
        QVERIFY(other.connect());
        other.send(statusRequest + '\n');
        QVERIFY(QTest::qWaitFor(
            [&] {
                mostHeld = std::max(mostHeld, mostHeldUnread(*rig.server));
                return other.socket.canReadLine();
            },
            patience));
        const int answeredMeanwhile = answered;
        QCOMPARE(errorOf(other.reply()), u"ok"_s);
        QVERIFY2(answeredMeanwhile < flood,
                 "the other client was answered only once the flood was over");

        // The whole flood takes a while on a loaded machine or under the sanitizers: the bound
        // is generous, what counts is that all of it is answered.
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         mostHeld = std::max(mostHeld, mostHeldUnread(*rig.server));
                         return answered == flood;
                     },
                     6 * patience),
                 qPrintable(u"%1 of %2 answered"_s.arg(answered.load()).arg(flood)));
        // What waits to be read waits in the system, not in the panel.
        QVERIFY2(mostHeld <= ControlClient::maxLineLength + 2,
                 qPrintable(QString::number(mostHeld)));
    }

    void aClientThatStopsReadingIsDropped()
    {
        Rig rig;
        QVERIFY(rig.start());
        // More replies than the panel keeps for a client, and than the system holds besides.
        const qsizetype replySize = statusReplySize(rig);
        QVERIFY(replySize > 0);
        const int requests = int(4 * ControlClient::maxUnreadBytes / replySize) + 1;
        const int client = UnixPeer::connectTo(PanelInstance::socketPath());
        QVERIFY(client >= 0);
        const auto closeClient = qScopeGuard([client] { ::close(client); });
        QVERIFY(QTest::qWaitFor([&] { return rig.server->clientCount() == 1; }, patience));
        std::thread writer(
            [&] { UnixPeer::sendAll(client, (statusRequest + '\n').repeated(requests)); });
        const bool dropped =
            QTest::qWaitFor([&] { return rig.server->clientCount() == 0; }, patience);
        ::shutdown(client, SHUT_WR); // a writer still blocked is let go
        writer.join();
        QVERIFY(dropped);

        // What went out before is whole, up to a last line cut short.
        const std::optional<QByteArray> received = receivedUntilClosed(client);
        QVERIFY(received);
        const QList<QByteArray> lines = wholeLines(*received);
        QVERIFY(!lines.isEmpty());
        QVERIFY(lines.size() < requests);
        for (const QByteArray &line : lines)
            QCOMPARE(errorOf(line), u"ok"_s);
        Client later;
        QVERIFY(later.connect());
        QCOMPARE(errorOf(later.ask(statusRequest)), u"ok"_s);
    }

    void aClientThatReadsAsItGoesIsServedFarBeyondTheBound()
    {
        Rig rig;
        QVERIFY(rig.start());
        // Four times what the panel keeps unread for a client, with at most 64 requests
        // unanswered at a time.
        const qsizetype replySize = statusReplySize(rig);
        QVERIFY(replySize > 0);
        const int requests = int(4 * ControlClient::maxUnreadBytes / replySize) + 1;
        constexpr int window = 64;
        const int client = UnixPeer::connectTo(PanelInstance::socketPath());
        QVERIFY(client >= 0);
        const auto closeClient = qScopeGuard([client] { ::close(client); });
        std::atomic<bool> done = false;
        QByteArray received;
        std::thread peer([&] {
            for (int asked = 0; asked < requests;) {
                const int now = std::min(window, requests - asked);
                if (!UnixPeer::sendAll(client, (statusRequest + '\n').repeated(now)))
                    break;
                asked += now;
                char chunk[4096];
                while (received.count('\n') < asked) {
                    const ssize_t n = ::recv(client, chunk, sizeof chunk, 0);
                    if (n <= 0)
                        break;
                    received.append(chunk, n);
                }
                if (received.count('\n') < asked)
                    break; // the panel hung up
            }
            done = true;
        });
        const bool finished = QTest::qWaitFor([&] { return done.load(); }, patience);
        ::shutdown(client, SHUT_RDWR); // a peer still blocked is let go
        peer.join();
        QVERIFY(finished);
        const QList<QByteArray> lines = wholeLines(received);
        QCOMPARE(lines.size(), requests);
        QVERIFY(received.size() > 4 * ControlClient::maxUnreadBytes);
        for (const QByteArray &line : lines)
            QCOMPARE(errorOf(line), u"ok"_s);
        QCOMPARE(rig.server->clientCount(), 1);
    }

    void commandsThatMayNotActAreRefused_data()
    {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QString>("error");
        const QByteArray r16 = R"({"command":"relay","relay":16,"action":"toggle"})";
        const QByteArray r1 = R"({"command":"relay","relay":1,"action":"on"})";
        const QByteArray macro = R"({"command":"macro","macro":1})";
        const QByteArray aout = R"({"command":"aout","output":2,"value":99})";
        QTest::newRow("relay, board never answered")
            << Situation::BoardNeverAnswered << r1 << u"no-answer"_s;
        QTest::newRow("macro, board never answered")
            << Situation::BoardNeverAnswered << macro << u"no-answer"_s;
        QTest::newRow("R16 while WDT is checked") << Situation::WdtChecked << r16 << u"wdt-lock"_s;
        QTest::newRow("resume timer runs a whole poll interval")
            << Situation::ResumeTimerStuck << r1 << u"busy"_s;
        QTest::newRow("relay, setup dialog open") << Situation::SetupOpen << r1 << u"setup-open"_s;
        QTest::newRow("aout, setup dialog open") << Situation::SetupOpen << aout << u"setup-open"_s;
    }
    void commandsThatMayNotActAreRefused()
    {
        QFETCH(Situation, situation);
        QFETCH(QByteArray, request);
        QFETCH(QString, error);
        Rig rig;
        rig.preset(Keys::OnString, u"00,15,"_s, 0);
        if (situation == Situation::BoardNeverAnswered)
            rig.board.setSilent(true);
        QVERIFY(rig.start(nullptr, situation != Situation::BoardNeverAnswered));
        const qsizetype savesBefore = rig.store.saves().size();
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        switch (situation) {
        case Situation::BoardNeverAnswered:
            QVERIFY(QTest::qWaitFor([&] { return rig.board.statusRequests() >= 2; }, patience));
            break;
        case Situation::WdtChecked:
            rig.window->w.chkWDT->setChecked(true);
            break;
        case Situation::ResumeTimerStuck:
            holdResumeTimer(rig);
            break;
        case Situation::SetupOpen:
            rig.window->core().setSetupOpen(true);
            break;
        }
        Client client;
        QVERIFY(client.connect());
        const std::optional<QJsonObject> reply = client.ask(request);
        QCOMPARE(errorOf(reply), error);
        QVERIFY(!reply->value(u"message"_s).toString().isEmpty());
        QCOMPARE(errorOf(client.ask(statusRequest)), u"ok"_s); // reading is always allowed

        releaseResumeTimer(rig);
        rig.window->setEnabled(true);
        setTimerEnabled(rig.window->poll().Timer1, true);
        if (situation != Situation::BoardNeverAnswered)
            QVERIFY(rig.awaitFreshFrame());
        QCOMPARE(commandFrames(frames), QList<QByteArray>());
        QCOMPARE(rig.store.saves().size(), savesBefore);
    }

    void aMacroSwitchesR16EvenWhileWdtIsChecked()
    {
        Rig rig;
        rig.preset(Keys::OnString, u"15,"_s, 0);
        QVERIFY(rig.start());
        rig.window->w.chkWDT->setChecked(true);
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        Client client;
        QVERIFY(client.connect());
        const std::optional<QJsonObject> reply = client.ask(R"({"command":"macro","macro":1})");
        QCOMPARE(errorOf(reply), u"ok"_s);
        QCOMPARE(reply->value(u"expect"_s).toArray(),
                 QJsonArray({QJsonObject{{u"relay"_s, 16}, {u"on"_s, true}}}));
        QVERIFY(QTest::qWaitFor([&] { return rig.board.state().relay(16); }, patience));
        QCOMPARE(commandFrames(frames), QList<QByteArray>{QByteArray::fromHex("244230800D")});
    }

    void aCommandWaitsForTheResumeTimerOfTheOneBefore()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy frames(&rig.board, &PtyBoard::frameReceived);
        Client client;
        QVERIFY(client.connect());
        // Both in one write: the second is read while the first one's resume timer runs.
        client.send(R"({"command":"relay","relay":1,"action":"toggle"})"
                    "\n"
                    R"({"command":"relay","relay":9,"action":"toggle"})"
                    "\n");
        for (int i = 0; i < 2; ++i) {
            const std::optional<QJsonObject> reply = client.reply();
            QCOMPARE(errorOf(reply), u"ok"_s);
            QCOMPARE(reply->value(u"frames"_s).toInt(), 1);
        }
        QVERIFY(QTest::qWaitFor([&] { return rig.board.state().relay(9); }, patience));
        QCOMPARE(commandFrames(frames), (QList<QByteArray>{QByteArray::fromHex("244130010D"),
                                                           QByteArray::fromHex("244230010D")}));
    }

    void theSecondStartStillRaisesThePanel()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy raised(rig.core.get(), &ControlCore::raiseRequested);
        Client client;
        QVERIFY(client.connect());
        client.send(R"({"command":"raise"})"
                    "\n");
        // Byte for byte what a second start compares.
        QVERIFY(QTest::qWaitFor([&] { return client.socket.canReadLine(); }, patience));
        QCOMPARE(client.socket.readLine(), R"({"ok":true})"
                                           "\n"_ba);
        QCOMPARE(raised.count(), 1);
    }
};

TARNWICK_TEST_MAIN(TestControlSocket)
#include "tst_controlsocket.moc"
