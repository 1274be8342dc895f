// tarnwick-ctl's command line: what each accepted form means, and that every wrong one is a
// usage error that says what is wrong.
#include "CtlArguments.h"
#include "CtlOutput.h"
#include "TestMain.h"

#include <QDir>
#include <QJsonArray>

using namespace Qt::StringLiterals;
using CtlArguments::Invocation;
using CtlArguments::Verb;

namespace {

// An invocation as a few words: the command, its operands and the options it took.
QString describe(const Invocation &invocation)
{
    QStringList words;
    switch (invocation.verb) {
    case Verb::Help:
        return u"help"_s;
    case Verb::Version:
        return u"version"_s;
    case Verb::Status:
        words << u"status"_s;
        break;
    case Verb::Watch:
        words << u"watch"_s;
        break;
    case Verb::Relay:
        words << u"relay"_s
              << (invocation.relayName.isEmpty() ? QString::number(invocation.number)
                                                 : u"named "_s + invocation.relayName)
              << invocation.action;
        if (invocation.action == u"pulse"_s)
            words << QString::number(invocation.seconds) << u"s"_s;
        break;
    case Verb::Macro:
        words << u"macro"_s << QString::number(invocation.number);
        break;
    case Verb::Aout:
        words << u"aout"_s << QString::number(invocation.number)
              << QString::number(invocation.value);
        break;
    case Verb::Record:
        words << u"record"_s << invocation.action;
        if (!invocation.folder.isEmpty())
            words << u"in"_s << invocation.folder;
        if (invocation.every)
            words << u"every"_s << QString::number(*invocation.every);
        if (invocation.keepDays)
            words << u"keep"_s << QString::number(*invocation.keepDays);
        break;
    case Verb::WaitInput:
        words << u"wait input"_s << QString::number(invocation.number)
              << (invocation.on ? u"on"_s : u"off"_s);
        break;
    }
    if (invocation.json)
        words << u"json"_s;
    if (invocation.wait)
        words << u"wait"_s;
    if (invocation.timeout)
        words << QString::number(*invocation.timeout) << u"s"_s;
    if (!invocation.socket.isEmpty())
        words << u"at"_s << invocation.socket;
    return words.join(u' ');
}

QStringList words(const QString &line)
{
    return line.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

class TestCtlArguments : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void acceptedForms_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("read"); // the invocation as describe() writes it
        QTest::newRow("status") << u"status"_s << u"status"_s;
        QTest::newRow("status --json") << u"status --json"_s << u"status json"_s;
        QTest::newRow("relay R5 on") << u"relay R5 on"_s << u"relay 5 on"_s;
        QTest::newRow("relay r64 toggle, wait 0.5 s")
            << u"relay r64 toggle --wait --timeout 0.5"_s << u"relay 64 toggle wait 0.5 s"_s;
        QTest::newRow("relay 7 off, options first")
            << u"--wait relay 7 off"_s << u"relay 7 off wait"_s;
        // Not R1 to R64: a name, which only the panel can look up.
        QTest::newRow("a name") << u"relay Pump on"_s << u"relay named Pump on"_s;
        QTest::newRow("a pulse") << u"relay R5 pulse 2.5"_s << u"relay 5 pulse 2.5 s"_s;
        QTest::newRow("a pulse by name, waited for")
            << u"relay Horn pulse 0.1 --wait"_s << u"relay named Horn pulse 0.1 s wait"_s;
        QTest::newRow("R and a letter is a name") << u"relay Rx off"_s << u"relay named Rx off"_s;
        QTest::newRow("a bank letter is a name") << u"relay A1 on"_s << u"relay named A1 on"_s;
        QTest::newRow("macro 32 --wait") << u"macro 32 --wait"_s << u"macro 32 wait"_s;
        QTest::newRow("aout 1 13") << u"aout 1 13"_s << u"aout 1 13"_s;
        QTest::newRow("aout 2 255") << u"aout 2 255"_s << u"aout 2 255"_s;
        QTest::newRow("watch --json") << u"watch --json"_s << u"watch json"_s;
        QTest::newRow("wait input 8 off --timeout 30")
            << u"wait input 8 off --timeout 30"_s << u"wait input 8 off 30 s"_s;
        QTest::newRow("a panel named by its socket")
            << u"--socket /run/x status"_s << u"status at /run/x"_s;
        QTest::newRow("--help beats the rest") << u"relay --help"_s << u"help"_s;
        QTest::newRow("--version") << u"--version"_s << u"version"_s;
        QTest::newRow("--version beats a command") << u"status --version"_s << u"version"_s;
        QTest::newRow("record start") << u"record start"_s << u"record start"_s;
        QTest::newRow("record start /srv/logs/")
            << u"record start /srv/logs/"_s << u"record start in /srv/logs"_s;
        QTest::newRow("a relative folder is made absolute here")
            << u"record start logs/../day"_s
            << u"record start in "_s + QDir::current().absoluteFilePath(u"day"_s);
        QTest::newRow("record status --json")
            << u"record status --json"_s << u"record status json"_s;
        QTest::newRow("record stop") << u"record stop"_s << u"record stop"_s;
        QTest::newRow("record start --every 10 --keep 30")
            << u"record start --every 10 --keep 30"_s << u"record start every 10 keep 30"_s;
        QTest::newRow("record start /srv --every 0")
            << u"record start /srv --every 0"_s << u"record start in /srv every 0"_s;
    }
    void acceptedForms()
    {
        QFETCH(QString, line);
        QFETCH(QString, read);
        const auto parsed = CtlArguments::parse(words(line));
        const auto *invocation = std::get_if<Invocation>(&parsed);
        if (!invocation)
            QFAIL(qPrintable(std::get<CtlArguments::UsageError>(parsed).message));
        QCOMPARE(describe(*invocation), read);
    }

    void wrongFormsAreUsageErrors_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("named"); // a part of the message
        QTest::newRow("nothing") << QString() << u"no command"_s;
        QTest::newRow("unknown command") << u"reboot"_s << u"'reboot'"_s;
        QTest::newRow("unknown option") << u"status --yaml"_s << u"'--yaml'"_s;
        QTest::newRow("R0") << u"relay R0 on"_s << u"R1 to R64"_s;
        QTest::newRow("pulse without length") << u"relay R5 pulse"_s << u"needs its length"_s;
        QTest::newRow("on with a length") << u"relay R5 on 2"_s << u"only 'pulse'"_s;
        QTest::newRow("pulse too short") << u"relay R5 pulse 0.01"_s << u"0.1 to 3600"_s;
        QTest::newRow("pulse with a comma") << u"relay R5 pulse 2,5"_s << u"'2,5'"_s;
        QTest::newRow("pulse of an hour and more") << u"relay R5 pulse 3601"_s << u"0.1 to 3600"_s;
        QTest::newRow("R65") << u"relay R65 on"_s << u"R1 to R64"_s;
        QTest::newRow("relay action") << u"relay R5 flip"_s << u"on, off, toggle or pulse"_s;
        QTest::newRow("relay without action") << u"relay R5"_s << u"2 or 3 argument"_s;
        QTest::newRow("macro 0") << u"macro 0"_s << u"1 to 32"_s;
        QTest::newRow("macro 33") << u"macro 33"_s << u"1 to 32"_s;
        QTest::newRow("aout 3") << u"aout 3 10"_s << u"1 or 2"_s;
        QTest::newRow("aout 256") << u"aout 1 256"_s << u"0 to 255"_s;
        QTest::newRow("aout 1.5") << u"aout 1 1.5"_s << u"0 to 255"_s;
        QTest::newRow("wait relay") << u"wait relay 1 on"_s << u"waits for an input"_s;
        QTest::newRow("input 9") << u"wait input 9 on"_s << u"1 to 8"_s;
        QTest::newRow("input state") << u"wait input 1 high"_s << u"on or off"_s;
        QTest::newRow("--timeout without --wait")
            << u"relay R1 on --timeout 3"_s << u"only with --wait"_s;
        QTest::newRow("--timeout 0") << u"wait input 1 on --timeout 0"_s << u"above 0"_s;
        QTest::newRow("--timeout text") << u"wait input 1 on --timeout soon"_s << u"'soon'"_s;
        QTest::newRow("--timeout last") << u"wait input 1 on --timeout"_s << u"needs a value"_s;
        QTest::newRow("--json on relay") << u"relay R1 on --json"_s << u"no --json"_s;
        QTest::newRow("--wait on aout") << u"aout 1 5 --wait"_s << u"no --wait"_s;
        QTest::newRow("--timeout on watch") << u"watch --timeout 5"_s << u"no --timeout"_s;
        QTest::newRow("record alone") << u"record"_s << u"1 or 2 argument"_s;
        QTest::newRow("record pause") << u"record pause"_s << u"start, stop or status"_s;
        QTest::newRow("record stop in a folder")
            << u"record stop /tmp"_s << u"only 'record start'"_s;
        QTest::newRow("record stop --every")
            << u"record stop --every 5"_s << u"only 'record start'"_s;
        QTest::newRow("--every -1") << u"record start --every -1"_s << u"seconds from 0 to 86400"_s;
        QTest::newRow("--every a day and more") << u"record start --every 86401"_s << u"'86401'"_s;
        QTest::newRow("--every 2.5") << u"record start --every 2.5"_s << u"whole number"_s;
        QTest::newRow("--keep text") << u"record start --keep month"_s << u"days from 0"_s;
        QTest::newRow("--keep last") << u"record start --keep"_s << u"needs a value"_s;
        QTest::newRow("record start, two folders")
            << u"record start /a /b"_s << u"1 or 2 argument"_s;
    }
    void wrongFormsAreUsageErrors()
    {
        QFETCH(QString, line);
        QFETCH(QString, named);
        const auto parsed = CtlArguments::parse(words(line));
        const auto *error = std::get_if<CtlArguments::UsageError>(&parsed);
        QVERIFY(error);
        QVERIFY2(error->message.contains(named), qPrintable(error->message));
        QVERIFY(error->message.contains(u"--help"_s));
    }

    void aRelayIsFoundByItsWholeNameInAnyCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("relay");     // 0: not found
        QTest::addColumn<QString>("named"); // a part of the message when not found
        QTest::newRow("as written") << u"Pump"_s << 5 << QString();
        QTest::newRow("another case") << u"PUMP"_s << 5 << QString();
        QTest::newRow("with blanks around") << u" pump "_s << 5 << QString();
        QTest::newRow("a part is not the name") << u"Pu"_s << 0 << u"R5 Pump, R7 Fan"_s;
        QTest::newRow("two relays of one name")
            << u"fan"_s << 0 << u"more than one relay: R7 Fan, R9 fan"_s;
        QTest::newRow("unknown") << u"Heater"_s << 0 << u"'Heater' is not a relay"_s;
    }
    void aRelayIsFoundByItsWholeNameInAnyCase()
    {
        QFETCH(QString, name);
        QFETCH(int, relay);
        QFETCH(QString, named);
        QJsonArray names;
        for (int r = 1; r <= 64; ++r)
            names.append(r == 5 ? u"Pump"_s : r == 7 ? u"Fan"_s : r == 9 ? u"fan"_s : QString());
        const CtlOutput::RelayLookup found =
            CtlOutput::findRelay(QJsonObject{{u"relayNames"_s, names}}, name);
        QCOMPARE(found.relay, relay);
        QVERIFY2(found.problem.contains(named), qPrintable(found.problem));
        QCOMPARE(found.problem.isEmpty(), relay != 0);
    }
    void noNamesAtAllSaysWhereToGiveThem()
    {
        const CtlOutput::RelayLookup found = CtlOutput::findRelay(QJsonObject(), u"Pump"_s);
        QCOMPARE(found.relay, 0);
        QVERIFY2(found.problem.contains(u"Setup, Relay Names"_s), qPrintable(found.problem));
    }
};

TARNWICK_TEST_MAIN(TestCtlArguments)
#include "tst_ctlarguments.moc"
