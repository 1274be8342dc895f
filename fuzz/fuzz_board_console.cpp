// The simulated board's console over any line typed on its standard input, run against a
// real board on a pseudo-terminal. A refused command changes nothing; an accepted one shows
// in the board's state, and the panel still reads the board's status frame.
#include "BoardConsole.h"
#include "FuzzSupport.h"
#include "PanelReadsBoard.h"
#include "PtyBoard.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace {

struct Snapshot
{
    BoardState state;
    bool silent;
    int replyDelay;
    int splitGap;
    bool connected;
    bool operator==(const Snapshot &) const = default;
};

Snapshot snapshot(const PtyBoard &board)
{
    return {board.state(), board.isSilent(), board.replyDelay(), board.splitGap(),
            board.isConnected()};
}

PtyBoard *board = nullptr;

// A fresh board for every input, so an input means the same however often it is run.
void reset()
{
    board->setState(BoardState{});
    board->setSilent(false);
    board->clearReplyFaults();
    board->setReplyDelay(PtyBoard::defaultReplyDelay);
    board->setSplitGap(PtyBoard::defaultSplitGap);
    if (!board->isConnected())
        FUZZ_CHECK(board->reconnect());
}

// Accepted state commands show in the state as given.
void checkAccepted(const QStringList &words, const BoardState &state)
{
    const QString command = words.front().toLower();
    const auto arg = [&](int i) {
        return words[i].toInt();
    };
    if (command == u"inputs"_qs)
        FUZZ_CHECK(state.inputs() == arg(1));
    else if (command == u"temp"_qs)
        FUZZ_CHECK(state.temperature() == arg(1));
    else if (command == u"meter"_qs)
        FUZZ_CHECK(state.meter(arg(1)) == arg(2));
    else if (command == u"relay"_qs)
        FUZZ_CHECK(
            state.relay(QString(words[1]).remove(QChar(u'R'), Qt::CaseInsensitive).toInt()) ==
            (words[2].toLower() == u"on"_qs));
    else if (command == u"bank"_qs)
        FUZZ_CHECK(state.relayBank(words[1].toUpper()[0].unicode() - u'A') == arg(2));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // The board links its port in a configuration folder of the run's own.
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    ensureApplication();
    board = new PtyBoard; // lives for the whole run
    FUZZ_CHECK(board->start(9));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    reset();
    BoardConsole console(*board);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = text.split(u'\n').mid(0, 16);
    for (const QString &line : lines) {
        const Snapshot before = snapshot(*board);
        const BoardConsole::Result result = console.run(line);
        const QStringList words = line.trimmed().split(u' ', Qt::SkipEmptyParts);
        if (result.quit)
            FUZZ_CHECK(result.ok);
        if (words.isEmpty())
            FUZZ_CHECK(result.ok && result.text.isEmpty());
        if (!result.ok) {
            FUZZ_CHECK(snapshot(*board) == before);
            FUZZ_CHECK(!result.text.isEmpty());
        } else if (!words.isEmpty()) {
            checkAccepted(words, board->state());
        }
        checkPanelReadsBoard(board->state());
    }
    return 0;
}
