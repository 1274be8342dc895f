#include "BoardConsole.h"

#include "FrameText.h"
#include "PtyBoard.h"
#include "ReplyFaults.h"

#include <QStringList>
#include <algorithm>

namespace {

using Result = BoardConsole::Result;

Result failure(const QString &text)
{
    return {text, false, false};
}

Result done(const QString &text = {})
{
    return {text, true, false};
}

// A whole decimal number within [low, high], or nothing.
std::optional<int> number(const QString &word, int low, int high)
{
    bool ok = false;
    const int value = word.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<int> bankIndex(const QString &word)
{
    if (word.size() != 1)
        return std::nullopt;
    const char16_t letter = word[0].toUpper().unicode();
    if (letter < u'A' || letter > u'H')
        return std::nullopt;
    return int(letter - u'A');
}

std::optional<bool> onOff(const QString &word)
{
    if (word.compare(QLatin1String("on"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("off"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

QString threeDigitList(const QList<int> &values)
{
    QStringList words;
    for (const int value : values)
        words << QString::number(value).rightJustified(3, QLatin1Char('0'));
    return words.join(QLatin1Char(' '));
}

QString usage(const QString &command)
{
    const QStringList lines = BoardConsole::helpText().split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.trimmed().startsWith(command + QLatin1Char(' ')) || line.trimmed() == command)
            return QStringLiteral("usage: ") + line.trimmed();
    }
    return QStringLiteral("unknown command \"%1\" (try help)").arg(command);
}

} // namespace

BoardConsole::BoardConsole(PtyBoard &board)
    : m_board(board)
{}

QString BoardConsole::helpText()
{
    return QStringLiteral(
        "State:\n"
        "  inputs N            the eight digital inputs, 0..255 (bit k = input k+1)\n"
        "  meter C V           meter channel C (0..5) reads V (0..999; full scale 255)\n"
        "  temp T              temperature T degrees Fahrenheit (-99..999)\n"
        "  freq TEXT           frequency field, five characters: freq 01234 or freq \" 1234\"\n"
        "  relay N on|off      relay RN (1..64) on or off\n"
        "  bank X N            relay bank X (A..H) set to N (0..255, bit p = position p)\n"
        "  show                print the state and the current status frame\n"
        "Faults:\n"
        "  silence on|off      stop or resume answering status requests\n"
        "  stuck on|off        relay-bank frames change no relay, or do again\n"
        "  reply 69|71|140     the next reply is 69 or 71 characters, or two frames (140)\n"
        "  garbage N           send N random bytes now (1..4096)\n"
        "  nonnumeric FIELD    the next reply has \"x\" in FIELD: A..H, meter C, inputs, temp\n"
        "  split [MS]          the next reply comes in two halves MS ms apart (default 300)\n"
        "  hangup              the device is pulled: the open port fails with EIO, link removed\n"
        "  return              the device comes back on a new pty, linked at the same path\n"
        "  delay MS            answer status requests after MS ms (default 36)\n"
        "Other:\n"
        "  help                this list\n"
        "  quit                remove the link and exit");
}

QString BoardConsole::showState(const PtyBoard &board)
{
    const BoardState &state = board.state();
    QStringList banks;
    for (int bank = 0; bank < BoardState::relayBankCount; ++bank)
        banks
            << QStringLiteral("%1=%2").arg(QChar(char16_t(u'A' + bank))).arg(state.relayBank(bank));
    QStringList on;
    for (int relay = 1; relay <= BoardState::relayCount; ++relay) {
        if (state.relay(relay))
            on << QStringLiteral("R%1").arg(relay);
    }
    QList<int> meters;
    for (int channel = 0; channel < BoardState::meterCount; ++channel)
        meters << state.meter(channel);
    auto output = [&](int number) {
        const std::optional<quint8> level = state.analogOutput(number);
        return level ? QString::number(*level) : QStringLiteral("-");
    };

    QStringList lines;
    lines << QStringLiteral("relays   %1").arg(banks.join(QLatin1Char(' ')));
    lines << QStringLiteral("on       %1")
                 .arg(on.isEmpty() ? QStringLiteral("none") : on.join(QLatin1Char(' ')));
    lines << QStringLiteral("inputs   %1").arg(state.inputs());
    lines << QStringLiteral("meters   %1").arg(threeDigitList(meters));
    lines << QStringLiteral("temp     %1 F").arg(state.temperature());
    lines << QStringLiteral("freq     \"%1\"").arg(QString::fromLatin1(state.frequency()));
    lines << QStringLiteral("analog   out1 %1  out2 %2").arg(output(1), output(2));
    lines << QStringLiteral("line     %1%2")
                 .arg(board.isConnected() ? board.devicePath() : QStringLiteral("hung up"),
                      board.isSilent() ? QStringLiteral(", silent") : QString());
    lines << QStringLiteral("frame    %1").arg(printableBytes(state.statusFrame()));
    return lines.join(QLatin1Char('\n'));
}

BoardConsole::Result BoardConsole::run(const QString &line)
{
    const QString trimmed = line.trimmed();
    const QStringList words = trimmed.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return done();
    const QString command = words.front().toLower();
    const QStringList args = words.mid(1);

    if (command == QLatin1String("help"))
        return done(helpText());
    if (command == QLatin1String("quit") || command == QLatin1String("exit"))
        return {QString(), true, true};
    if (command == QLatin1String("show") && args.isEmpty())
        return done(showState(m_board));

    if (command == QLatin1String("inputs") && args.size() == 1) {
        if (const auto bits = number(args[0], 0, 255)) {
            m_board.setInputs(*bits);
            return done(QStringLiteral("inputs %1").arg(*bits));
        }
    }
    if (command == QLatin1String("meter") && args.size() == 2) {
        const auto channel = number(args[0], 0, BoardState::meterCount - 1);
        const auto value = number(args[1], 0, BoardState::maxMeter);
        if (channel && value) {
            m_board.setMeter(*channel, *value);
            return done(QStringLiteral("meter %1 = %2").arg(*channel).arg(*value));
        }
    }
    if (command == QLatin1String("temp") && args.size() == 1) {
        if (const auto t =
                number(args[0], BoardState::minTemperature, BoardState::maxTemperature)) {
            m_board.setTemperature(*t);
            return done(QStringLiteral("temperature %1 F").arg(*t));
        }
    }
    if (command == QLatin1String("freq") && !args.isEmpty()) {
        // The text after the command, quotes removed, so a leading blank can be given.
        QString text = trimmed.mid(words.front().size()).trimmed();
        if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) &&
            text.endsWith(QLatin1Char('"')))
            text = text.mid(1, text.size() - 2);
        const bool printable = std::all_of(text.cbegin(), text.cend(), [](QChar c) {
            return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
        });
        if (printable && m_board.setFrequency(text.toLatin1()))
            return done(QStringLiteral("frequency \"%1\"").arg(text));
        return failure(QStringLiteral("freq: the field is exactly five printable ASCII "
                                      "characters, e.g. freq 01234 or freq \" 1234\""));
    }
    if (command == QLatin1String("relay") && args.size() == 2) {
        const auto relay = number(
            args[0].startsWith(QLatin1Char('R'), Qt::CaseInsensitive) ? args[0].mid(1) : args[0], 1,
            BoardState::relayCount);
        const auto on = onOff(args[1]);
        if (relay && on) {
            m_board.setRelay(*relay, *on);
            return done(QStringLiteral("R%1 %2").arg(*relay).arg(*on ? QStringLiteral("on")
                                                                     : QStringLiteral("off")));
        }
    }
    if (command == QLatin1String("bank") && args.size() == 2) {
        const auto bank = bankIndex(args[0]);
        const auto bits = number(args[1], 0, 255);
        if (bank && bits) {
            m_board.setRelayBank(*bank, quint8(*bits));
            return done(QStringLiteral("bank %1 = %2").arg(args[0].toUpper()).arg(*bits));
        }
    }

    if (command == QLatin1String("silence") && args.size() == 1) {
        if (const auto silent = onOff(args[0])) {
            m_board.setSilent(*silent);
            return done(*silent ? QStringLiteral("silent: status requests are not answered")
                                : QStringLiteral("answering status requests again"));
        }
    }
    if (command == QLatin1String("stuck") && args.size() == 1) {
        if (const auto stuck = onOff(args[0])) {
            m_board.setRelaysStuck(*stuck);
            return done(*stuck ? QStringLiteral("stuck: relay-bank frames change no relay")
                               : QStringLiteral("relay-bank frames switch relays again"));
        }
    }
    if (command == QLatin1String("reply") && args.size() == 1) {
        const auto length = number(args[0], 0, 1000);
        if (length && m_board.setNextReplyLength(*length))
            return done(QStringLiteral("next reply: %1 characters").arg(*length));
    }
    if (command == QLatin1String("garbage") && args.size() == 1) {
        const auto count = number(args[0], 1, 4096);
        if (count && !m_board.isConnected())
            return failure(QStringLiteral("garbage: the board is hung up"));
        if (count && m_board.sendGarbage(*count))
            return done(QStringLiteral("sent %1 garbage bytes").arg(*count));
    }
    if (command == QLatin1String("nonnumeric") && !args.isEmpty()) {
        if (const auto field = parseStatusField(args.join(QLatin1Char(' ')))) {
            m_board.setNextReplyNonNumeric(*field);
            return done(
                QStringLiteral("next reply: field %1 not a number").arg(statusFieldName(*field)));
        }
    }
    if (command == QLatin1String("split") && args.size() <= 1) {
        const auto gap =
            args.isEmpty() ? std::optional<int>(m_board.splitGap()) : number(args[0], 0, 60000);
        if (gap) {
            m_board.setSplitGap(*gap);
            m_board.setNextReplySplit();
            return done(QStringLiteral("next reply: two halves %1 ms apart").arg(*gap));
        }
    }
    if (command == QLatin1String("delay") && args.size() == 1) {
        if (const auto delay = number(args[0], 0, 60000)) {
            m_board.setReplyDelay(*delay);
            return done(QStringLiteral("replies after %1 ms").arg(*delay));
        }
    }
    if (command == QLatin1String("hangup") && args.isEmpty()) {
        if (!m_board.hangUp())
            return failure(QStringLiteral("hangup: the board is already hung up"));
        return done(QStringLiteral("hung up: the open port now fails with EIO; %1 removed")
                        .arg(m_board.linkPath()));
    }
    if (command == QLatin1String("return") && args.isEmpty()) {
        if (!m_board.reconnect())
            return failure(QStringLiteral("return: %1").arg(m_board.errorString()));
        return done(QStringLiteral("back: %1 -> %2").arg(m_board.linkPath(), m_board.devicePath()));
    }
    return failure(usage(command));
}
