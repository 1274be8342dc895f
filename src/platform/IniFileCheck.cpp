#include "IniFileCheck.h"

#include <QByteArrayView>
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

struct LineScan
{
    bool runsOn = false;        // an open quote or a final backslash carries into the next line
    bool inlineComment = false; // ";" outside quotes after the start of the line
};

// Follows QSettings' reading of one physical line: a backslash takes the next character
// with it (at the end of the line: the line break), a double quote opens or closes a quoted
// run, and ";" outside quotes starts a comment that runs to the end of the line.
LineScan scanLine(QByteArrayView line)
{
    LineScan scan;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (i + 1 == line.size()) {
                scan.runsOn = true;
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
    scan.runsOn = inQuotes;
    return scan;
}

// The raw text of the value as a quoted INI string: only the backslash and the quote need
// escaping inside quotes.
QByteArray quoted(QByteArrayView raw)
{
    QByteArray out;
    out.reserve(raw.size() + 2);
    out += '"';
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
        if (!key.contains('"') && !key.contains('\\') && !trimmed(key).isEmpty())
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

} // namespace

namespace IniFileCheck {

Result inspect(const QByteArray &content)
{
    Result result;
    result.dropsText = !isUtf8(content);
    result.mended.reserve(content.size());

    QByteArray section;
    QSet<QByteArray> keysSeen; // section + '\n' + key
    qsizetype start = 0;
    while (start <= content.size()) {
        qsizetype end = start;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r')
            ++end;
        const QByteArrayView line = QByteArrayView(content).sliced(start, end - start);
        const QByteArrayView body = trimmed(line);

        bool mended = false;
        if (body.startsWith(';')) {
            result.dropsText = true;
        } else if (!body.isEmpty()) {
            const LineScan scan = scanLine(body);
            result.dropsText = result.dropsText || scan.inlineComment;
            if (scan.runsOn) {
                result.runsOn = true;
                result.dropsText = true;
                result.mended += mendLine(line);
                mended = true;
            } else if (body.startsWith('[')) {
                section = body.toByteArray();
            } else if (const qsizetype equals = body.indexOf('='); equals < 0) {
                result.dropsText = true;
            } else {
                const QByteArray key = section + '\n' + trimmed(body.first(equals)).toByteArray();
                if (keysSeen.contains(key))
                    result.dropsText = true;
                keysSeen.insert(key);
                if (trimmed(body.sliced(equals + 1)).startsWith("@Variant("))
                    result.dropsText = true;
            }
        }
        if (!mended)
            result.mended += line;

        if (end == content.size())
            break;
        // Keep the line break as it was: "\r\n", "\n" or "\r".
        qsizetype next = end + 1;
        if (content[end] == '\r' && next < content.size() && content[next] == '\n')
            ++next;
        result.mended += QByteArrayView(content).sliced(end, next - end);
        start = next;
    }
    return result;
}

} // namespace IniFileCheck
