// The settings mender over any file a user could hand-edit, with QSettings itself as the
// judge of what it reads:
//  - a file the mender finds nothing to mend in comes back byte for byte;
//  - after mending, no line swallows a line with text in it;
//  - mending the mended file changes nothing;
//  - every mended value reads back as its raw text.
#include "FuzzSupport.h"
#include "IniFileCheck.h"

#include <QFile>
#include <QList>
#include <QMap>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// What QSettings reads from a file with this content. Each read uses a new file name, so no
// cached copy of an earlier read can answer.
QMap<QString, QVariant> readBySettings(const QByteArray &content)
{
    static quint64 serial = 0;
    const QString path = folder().filePath(QStringLiteral("%1.ini").arg(++serial));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    QMap<QString, QVariant> values;
    {
        const QSettings settings(path, QSettings::IniFormat);
        for (const QString &key : settings.allKeys())
            values.insert(key, settings.value(key));
    }
    QFile::remove(path);
    return values;
}

// The physical lines, without their breaks ("\r\n", "\n" or "\r").
QList<QByteArray> physicalLines(const QByteArray &content)
{
    QList<QByteArray> lines{QByteArray()};
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            lines.append(QByteArray());
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

QByteArray withoutBlanks(QByteArray text)
{
    while (!text.isEmpty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove(0, 1);
    while (!text.isEmpty() && (text.back() == ' ' || text.back() == '\t'))
        text.chop(1);
    return text;
}

QString sentinel(qsizetype line)
{
    return QStringLiteral("tarnwickSentinel%1").arg(line);
}

// The key is looked for, not its value: below an empty section name ("[]") QSettings lists
// keys whose values it cannot give, which is no line swallowing another.
bool hasSentinel(const QMap<QString, QVariant> &values, const QString &name)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (it.key() == name || it.key().endsWith(u'/' + name))
            return true;
    }
    return false;
}

// A key line of its own just before every line with text in it. A line that runs on into the
// next line with text swallows the key line instead, and its key is missing.
void checkNothingSwallowed(const QList<QByteArray> &lines)
{
    QByteArray probe;
    QList<qsizetype> probed;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0 && !withoutBlanks(lines[i]).isEmpty()) {
            probe += sentinel(i).toLatin1() + "=1\n";
            probed.append(i);
        }
        probe += lines[i] + '\n';
    }
    const QMap<QString, QVariant> values = readBySettings(probe);
    for (const qsizetype line : probed)
        FUZZ_CHECK(hasSentinel(values, sentinel(line)));
}

// A mended line is a comment, or its key with the raw value, which QSettings must read back
// as exactly that text.
void checkMendedLine(const QByteArray &original, const QByteArray &mended)
{
    const QByteArray body = withoutBlanks(original);
    if (mended.startsWith(';')) {
        FUZZ_CHECK(mended == ';' + body);
        return;
    }
    const qsizetype equals = body.indexOf('=');
    FUZZ_CHECK(equals > 0);
    const QByteArray raw = withoutBlanks(body.mid(equals + 1));
    const QMap<QString, QVariant> values = readBySettings(mended);
    FUZZ_CHECK(values.size() == 1);
    // Some keys QSettings lists but cannot give a value for ("/", "a//b", "%2F"), whatever
    // the value: those are not the mender's to keep.
    const QMap<QString, QVariant> plain = readBySettings(body.first(equals) + "=1");
    if (plain.size() != 1 || plain.first() != u"1"_qs)
        return;
    const QVariant value = values.first();
    FUZZ_CHECK(value.typeId() == QMetaType::QString);
    // Bytes that are not UTF-8 have no one text to compare with (the file is copied before
    // any rewrite for them).
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder(raw);
    if (!decoder.hasError())
        FUZZ_CHECK(value.toString() == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    ensureApplication();
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const IniFileCheck::Result result = IniFileCheck::inspect(content);

    if (!result.runsOn)
        FUZZ_CHECK(result.mended == content);
    if (result.runsOn)
        FUZZ_CHECK(result.dropsText);

    const IniFileCheck::Result again = IniFileCheck::inspect(result.mended);
    FUZZ_CHECK(!again.runsOn);
    FUZZ_CHECK(again.mended == result.mended);

    // Mending changes whole lines and keeps every line break.
    const QList<QByteArray> before = physicalLines(content);
    const QList<QByteArray> after = physicalLines(result.mended);
    FUZZ_CHECK(before.size() == after.size());
    checkNothingSwallowed(after);
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before[i] != after[i])
            checkMendedLine(before[i], after[i]);
    }
    return 0;
}
