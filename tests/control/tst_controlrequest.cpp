// Reading a control request: the fields a good request carries, and the boundaries of each
// number. (What a bad line gets over the socket is in the socket's test.)
#include "ControlRequest.h"
#include "TestMain.h"

using namespace Qt::StringLiterals;
using ControlRequest::Command;
using ControlRequest::RelayAction;

namespace {

// A request as a few words: the command and the fields it carries.
QString describe(const ControlRequest::Request &request)
{
    switch (request.command) {
    case Command::Status:
        return u"status"_s;
    case Command::Watch:
        return u"watch"_s;
    case Command::Raise:
        return u"raise"_s;
    case Command::Macro:
        return u"macro %1"_s.arg(request.macro);
    case Command::Aout:
        return u"aout %1 %2"_s.arg(request.output).arg(request.value);
    case Command::Record: {
        const char *recordActions[] = {"start", "stop", "status"};
        QString text =
            u"record %1 %2"_s
                .arg(QLatin1String(recordActions[int(request.recordAction)]), request.folder)
                .trimmed();
        if (request.everySeconds)
            text += u" every %1"_s.arg(*request.everySeconds);
        if (request.keepDays)
            text += u" keep %1"_s.arg(*request.keepDays);
        return text;
    }
    case Command::Relay:
        break;
    }
    const char *actions[] = {"on", "off", "toggle", "pulse"};
    QString said =
        u"relay %1 %2"_s.arg(request.relay).arg(QLatin1String(actions[int(request.action)]));
    if (request.action == ControlRequest::RelayAction::Pulse)
        said += u" %1 ms"_s.arg(request.pulseMs);
    return said;
}

} // namespace

class TestControlRequest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goodRequestsCarryTheirFields_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("read"); // the request as describe() writes it
        QTest::newRow("status") << R"({"command":"status"})"_ba << u"status"_s;
        QTest::newRow("watch, blanks around") << "  {\"command\" : \"watch\"}  "_ba << u"watch"_s;
        QTest::newRow("R1 on") << R"({"command":"relay","relay":1,"action":"on"})"_ba
                               << u"relay 1 on"_s;
        QTest::newRow("R64 off, fields in another order")
            << R"({"action":"off","relay":64,"command":"relay"})"_ba << u"relay 64 off"_s;
        QTest::newRow("5.0 is the whole number 5")
            << R"({"command":"relay","relay":5.0,"action":"toggle"})"_ba << u"relay 5 toggle"_s;
        QTest::newRow("a pulse of 2.5 s")
            << R"({"command":"relay","relay":5,"action":"pulse","seconds":2.5})"_ba
            << u"relay 5 pulse 2500 ms"_s;
        QTest::newRow("the shortest pulse")
            << R"({"command":"relay","relay":1,"action":"pulse","seconds":0.1})"_ba
            << u"relay 1 pulse 100 ms"_s;
        QTest::newRow("macro 32") << R"({"command":"macro","macro":32})"_ba << u"macro 32"_s;
        QTest::newRow("aout 1 at 0")
            << R"({"command":"aout","output":1,"value":0})"_ba << u"aout 1 0"_s;
        QTest::newRow("aout 2 at 255")
            << R"({"command":"aout","output":2,"value":255})"_ba << u"aout 2 255"_s;
        QTest::newRow("raise") << R"({"command":"raise"})"_ba << u"raise"_s;
        QTest::newRow("record start, default folder")
            << R"({"command":"record","action":"start"})"_ba << u"record start"_s;
        QTest::newRow("record start in a folder")
            << R"({"command":"record","action":"start","folder":"/srv/log, daily"})"_ba
            << u"record start /srv/log, daily"_s;
        QTest::newRow("record stop")
            << R"({"command":"record","action":"stop"})"_ba << u"record stop"_s;
        QTest::newRow("record start at a pace, keeping days")
            << R"({"command":"record","action":"start","every":60,"keepDays":365})"_ba
            << u"record start every 60 keep 365"_s;
        QTest::newRow("record start every frame")
            << R"({"command":"record","action":"start","every":0})"_ba << u"record start every 0"_s;
        QTest::newRow("record status")
            << R"({"command":"record","action":"status"})"_ba << u"record status"_s;
    }
    void goodRequestsCarryTheirFields()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, read);
        const auto parsed = ControlRequest::parse(line);
        const auto *request = std::get_if<ControlRequest::Request>(&parsed);
        if (!request)
            QFAIL(qPrintable(std::get<ControlRequest::Failure>(parsed).message));
        QCOMPARE(describe(*request), read);
    }

    void badFieldsNameWhatIsWrong_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("named"); // a part of the message
        QTest::newRow("relay 0") << R"({"command":"relay","relay":0,"action":"on"})"_ba
                                 << u"\"relay\" must be a whole number from 1 to 64"_s;
        QTest::newRow("relay 5.5")
            << R"({"command":"relay","relay":5.5,"action":"on"})"_ba << u"\"relay\""_s;
        QTest::newRow("relay huge")
            << R"({"command":"relay","relay":1e300,"action":"on"})"_ba << u"\"relay\""_s;
        QTest::newRow("relay true")
            << R"({"command":"relay","relay":true,"action":"on"})"_ba << u"\"relay\""_s;
        QTest::newRow("action missing") << R"({"command":"relay","relay":3})"_ba << u"\"action\""_s;
        QTest::newRow("action ON")
            << R"({"command":"relay","relay":3,"action":"ON"})"_ba << u"\"action\""_s;
        QTest::newRow("pulse without seconds")
            << R"({"command":"relay","relay":3,"action":"pulse"})"_ba << u"\"seconds\""_s;
        QTest::newRow("seconds without pulse")
            << R"({"command":"relay","relay":3,"action":"on","seconds":2})"_ba << u"\"seconds\""_s;
        QTest::newRow("pulse of 0.05 s")
            << R"({"command":"relay","relay":3,"action":"pulse","seconds":0.05})"_ba
            << u"0.1 to 3600"_s;
        QTest::newRow("pulse of two hours")
            << R"({"command":"relay","relay":3,"action":"pulse","seconds":7200})"_ba
            << u"0.1 to 3600"_s;
        QTest::newRow("pulse seconds as text")
            << R"({"command":"relay","relay":3,"action":"pulse","seconds":"2"})"_ba
            << u"0.1 to 3600"_s;
        QTest::newRow("macro 33") << R"({"command":"macro","macro":33})"_ba << u"from 1 to 32"_s;
        QTest::newRow("macro missing") << R"({"command":"macro"})"_ba << u"\"macro\""_s;
        QTest::newRow("output 3") << R"({"command":"aout","output":3,"value":1})"_ba
                                  << u"\"output\""_s;
        QTest::newRow("value -1") << R"({"command":"aout","output":1,"value":-1})"_ba
                                  << u"from 0 to 255"_s;
        QTest::newRow("value as text")
            << R"({"command":"aout","output":1,"value":"13"})"_ba << u"\"value\""_s;
        QTest::newRow("unknown field")
            << R"({"command":"macro","macro":1,"wait":true})"_ba << u"no field \"wait\""_s;
        QTest::newRow("command missing") << R"({"relay":1})"_ba << u"\"command\""_s;
        QTest::newRow("unknown command")
            << R"({"command":"Status"})"_ba << u"unknown command \"Status\""_s;
        QTest::newRow("record without action") << R"({"command":"record"})"_ba << u"\"action\""_s;
        QTest::newRow("record pause")
            << R"({"command":"record","action":"pause"})"_ba << u"\"start\", \"stop\""_s;
        QTest::newRow("pace beyond a day")
            << R"({"command":"record","action":"start","every":86401})"_ba
            << u"\"every\" must be a whole number from 0 to 86400"_s;
        QTest::newRow("days kept as text")
            << R"({"command":"record","action":"start","keepDays":"30"})"_ba << u"\"keepDays\""_s;
        QTest::newRow("days kept below 0")
            << R"({"command":"record","action":"start","keepDays":-1})"_ba << u"\"keepDays\""_s;
        QTest::newRow("pace on a stop") << R"({"command":"record","action":"stop","every":5})"_ba
                                        << u"only \"start\" takes \"every\""_s;
        QTest::newRow("relative folder")
            << R"({"command":"record","action":"start","folder":"logs"})"_ba << u"absolute path"_s;
        QTest::newRow("empty folder")
            << R"({"command":"record","action":"start","folder":""})"_ba << u"absolute path"_s;
        QTest::newRow("folder as number")
            << R"({"command":"record","action":"start","folder":7})"_ba << u"absolute path"_s;
        QTest::newRow("folder with NUL")
            << R"({"command":"record","action":"start","folder":"/tmp/a\u0000b"})"_ba
            << u"absolute path"_s;
        QTest::newRow("folder beyond a path's length")
            << QByteArray(R"({"command":"record","action":"start","folder":"/)" +
                          QByteArray(4096, 'a') + R"("})")
            << u"absolute path"_s;
        QTest::newRow("stop with a folder")
            << R"({"command":"record","action":"stop","folder":"/tmp"})"_ba << u"only \"start\""_s;
        QTest::newRow("two objects")
            << R"({"command":"status"}{"command":"status"})"_ba << u"not JSON"_s;
    }
    void badFieldsNameWhatIsWrong()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, named);
        const auto parsed = ControlRequest::parse(line);
        const auto *failure = std::get_if<ControlRequest::Failure>(&parsed);
        QVERIFY(failure);
        QVERIFY2(failure->message.contains(named), qPrintable(failure->message));
    }
};

TARNWICK_TEST_MAIN(TestControlRequest)
#include "tst_controlrequest.moc"
