#pragma once

#include <QString>

class PtyBoard;

// The text commands of tarnwick-board's standard input, one line each, run against a
// board. Kept apart from the program's input handling so the commands can be tested.
class BoardConsole
{
public:
    struct Result
    {
        QString text;   // what to print; may be empty; no trailing newline
        bool ok = true; // false: the command was refused and changed nothing
        bool quit = false;
    };

    explicit BoardConsole(PtyBoard &board);

    Result run(const QString &line);

    // Every command with its arguments, one per line.
    static QString helpText();

    // The state as a few lines of text, followed by the current status frame.
    static QString showState(const PtyBoard &board);

private:
    PtyBoard &m_board;
};
