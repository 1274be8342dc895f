// The control socket against everything a client may do wrong, and the rules a command
// meets, with the panel on the simulated board: each bad request gets its error and leaves
// the connection usable, each limit ends the connection, and none of it reaches the board
// or the settings.
#include "ControlClient.h"
#include "ControlRig.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QTimer>
#include <optional>

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

enum class Situation { BoardNeverAnswered, WdtChecked, ResumeTimerStuck, SetupOpen };

} // namespace

Q_DECLARE_METATYPE(Situation)

class TestControlSocket : public QObject
{
    Q_OBJECT

    RuntimeFolder m_runtime;

private Q_SLOTS:
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
