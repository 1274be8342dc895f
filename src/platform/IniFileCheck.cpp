#include "IniFileCheck.h"

#include <QByteArrayView>
#include <QList>
#include <QSet>
#include <QStringDecoder>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool isBlankLine(QByteArrayView line)
{
    return trimmed(line).isEmpty();
}

// How a line carries into the lines after it, if it does.
enum class RunOn {
    No,
    EscapedBreak, // a final backslash outside quotes: the next line is joined on, only that one
    OpenQuote,    // the quoted run goes on until a later line closes it
};

struct LineScan
{
    RunOn runOn = RunOn::No;
    bool inlineComment = false; // ";" outside quotes after the start of the line
};

// Follows QSettings' reading of one physical line: a backslash takes the next character
// with it (at the end of the line: the line break), a double quote opens or closes a quoted
// run, and ";" outside quotes starts a comment that runs to the end of the line. The line is
// scanned with its trailing blanks, as QSettings reads it: "abc\ " escapes the blank, and
// nothing runs on.
LineScan scanLine(QByteArrayView line)
{
    LineScan scan;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (i + 1 == line.size()) {
                scan.runOn = inQuotes ? RunOn::OpenQuote : RunOn::EscapedBreak;
                return scan;
            }
            ++i;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';' && !inQuotes) {
            scan.inlineComment = true;
            return scan;
        }
    }
    scan.runOn = inQuotes ? RunOn::OpenQuote : RunOn::No;
    return scan;
}

// The raw text of the value as a quoted INI string that QSettings reads back as exactly that
// text: only the backslash and the quote need escaping inside quotes.
QByteArray quoted(QByteArrayView raw)
{
    QByteArray out;
    out.reserve(raw.size() + 3);
    out += '"';
    // QSettings reads a text that starts with "@" as a typed value ("@String(", "@Variant(",
    // "@Invalid()") even in quotes, and reads "@@" as a plain "@": so it writes such a text
    // with the "@" doubled, and so do we.
    if (raw.startsWith('@'))
        out += '@';
    for (const char c : raw) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

QByteArray mendLine(QByteArrayView line)
{
    const QByteArrayView body = trimmed(line);
    const qsizetype equals = body.indexOf('=');
    if (equals > 0 && !body.startsWith('[')) {
        const QByteArrayView key = body.first(equals);
        // QSettings trims every kind of white space off a key, vertical tabs and form feeds too.
        if (!key.contains('"') && !key.contains('\\') && !key.trimmed().isEmpty())
            return key.toByteArray() + '=' + quoted(trimmed(body.sliced(equals + 1)));
    }
    return ';' + body.toByteArray();
}

bool isUtf8(const QByteArray &content)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    [[maybe_unused]] const QString text = decoder(content);
    return !decoder.hasError();
}

// One physical line of the file and the line break after it ("\r\n", "\n", "\r" or none at
// the end), kept so that the mended file keeps the breaks as they were.
struct PhysicalLine
{
    QByteArrayView text;
    QByteArrayView lineBreak;
};

QList<PhysicalLine> splitLines(QByteArrayView content)
{
    QList<PhysicalLine> lines;
    qsizetype start = 0;
    while (true) {
        qsizetype end = start;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r')
            ++end;
        if (end == content.size()) {
            lines.append({content.sliced(start), {}});
            return lines;
        }
        qsizetype next = end + 1;
        if (content[end] == '\r' && next < content.size() && content[next] == '\n')
            ++next;
        lines.append({content.sliced(start, end - start), content.sliced(end, next - end)});
        start = next;
    }
}

// Whether a line that runs on takes a line with text in it along: a final backslash joins the
// next line only, an open quote every line up to the end of the file (or a closing quote, which
// is on a line with text). Joined blank lines, or none at the end of the file, cost nothing.
bool swallowsText(const QList<PhysicalLine> &lines, qsizetype index, RunOn runOn)
{
    if (runOn == RunOn::EscapedBreak)
        return index + 1 < lines.size() && !isBlankLine(lines[index + 1].text);
    for (qsizetype next = index + 1; next < lines.size(); ++next) {
        if (!isBlankLine(lines[next].text))
            return true;
    }
    return false;
}

} // namespace

namespace IniFileCheck {

Result inspect(const QByteArray &content)
{
    Result result;
    result.dropsText = !isUtf8(content);
    result.mended.reserve(content.size());

    const QList<PhysicalLine> lines = splitLines(content);
    QByteArray section;
    QSet<QByteArray> keysSeen; // section + '\n' + key
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QByteArrayView line = lines[index].text;
        const QByteArrayView body = trimmed(line);

        bool mended = false;
        if (body.startsWith(';')) {
            result.dropsText = true;
        } else if (!body.isEmpty()) {
            const LineScan scan = scanLine(line);
            result.dropsText = result.dropsText || scan.inlineComment;
            if (scan.runOn != RunOn::No) {
                // Even when nothing is swallowed, the rewrite drops the final quote or backslash.
                result.dropsText = true;
                // A section name that runs on spoils every key below it, even over a blank line.
                if (swallowsText(lines, index, scan.runOn) || body.startsWith('[')) {
                    result.runsOn = true;
                    result.mended += mendLine(line);
                    mended = true;
                }
            } else if (body.startsWith('[')) {
                section = body.toByteArray();
            } else if (const qsizetype equals = body.indexOf('='); equals < 0) {
                result.dropsText = true;
            } else {
                const QByteArray key = section + '\n' + trimmed(body.first(equals)).toByteArray();
                if (keysSeen.contains(key))
                    result.dropsText = true;
                keysSeen.insert(key);
                // Quoted or not, QSettings decodes it, and drops what it cannot decode.
                const QByteArrayView value = trimmed(body.sliced(equals + 1));
                if (value.startsWith("@Variant(") || value.startsWith("\"@Variant("))
                    result.dropsText = true;
            }
        }
        if (!mended)
            result.mended += line;
        result.mended += lines[index].lineBreak;
    }
    return result;
}

} // namespace IniFileCheck
