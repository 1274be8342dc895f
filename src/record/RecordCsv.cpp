#include "RecordCsv.h"

#include "RecordColumns.h"

#include <QLocale>
#include <cmath>

namespace RecordCsv {

namespace {

constexpr char16_t controlPictures = 0x2400; // U+2400 SYMBOL FOR NULL, then one per C0 code
constexpr char16_t deletePicture = 0x2421;

void appendBits(QByteArray &rows, const bool *bits, std::size_t count)
{
    for (std::size_t k = 0; k < count; ++k) {
        rows += ',';
        rows += bits[k] ? '1' : '0';
    }
}

} // namespace

void appendField(QByteArray &rows, QStringView text, bool quoted)
{
    const bool special =
        text.contains(u',') || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n');
    if (!quoted && !special) {
        rows += text.toUtf8();
        return;
    }
    rows += '"';
    QByteArray utf8 = text.toUtf8();
    utf8.replace('"', "\"\"");
    rows += utf8;
    rows += '"';
}

QString visibleText(QStringView text)
{
    QString shown(text.size(), Qt::Uninitialized);
    QChar *out = shown.data();
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            *out++ = QChar(char16_t(controlPictures + code));
        else if (code == 0x7F)
            *out++ = QChar(deletePicture);
        else
            *out++ = c;
    }
    return shown;
}

QString boardText(QByteArrayView bytes)
{
    return visibleText(QString::fromLatin1(bytes)); // Latin-1: each byte is its code point
}

QString timeText(const QDateTime &time)
{
    const int offsetMinutes = time.offsetFromUtc() / 60;
    const int magnitude = std::abs(offsetMinutes);
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz")) +
           QLatin1Char(offsetMinutes < 0 ? '-' : '+') +
           QStringLiteral("%1:%2")
               .arg(magnitude / 60, 2, 10, QLatin1Char('0'))
               .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

QByteArray meterText(double value)
{
    if (!std::isfinite(value))
        return {};
    return QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
}

QString columnName(QStringView kind, int number, const QString &name)
{
    const QString numbered = kind.toString() + u' ' + QString::number(number);
    return name.trimmed().isEmpty() ? numbered
                                    : numbered + QStringLiteral(": ") + visibleText(name);
}

QByteArray headerRow(const Names &names)
{
    QByteArray header = "Time,Link";
    for (int relay = 1; relay <= RecordColumns::relayCount; ++relay)
        header += ",R" + QByteArray::number(relay);
    for (int k = 0; k < int(names.inputs.size()); ++k) {
        header += ',';
        appendField(header, columnName(u"Input", k + 1, names.inputs[std::size_t(k)]));
    }
    for (int m = 0; m < int(names.meters.size()); ++m) {
        header += ',';
        appendField(header, columnName(u"Meter", m + 1, names.meters[std::size_t(m)]));
    }
    header += ",Temperature (\xC2\xB0"
              "F),Frequency,An Out 1,An Out 2,Frame";
    header += lineEnd;
    return header;
}

void appendRow(QByteArray &rows, const Sample &sample)
{
    constexpr int typicalRow = 420;
    rows.reserve(rows.size() + typicalRow);
    rows += timeText(sample.time).toLatin1();
    rows += ',';
    rows += sample.link.toLatin1();
    appendBits(rows, sample.relays.data(), sample.relays.size());
    appendBits(rows, sample.inputs.data(), sample.inputs.size());
    for (const double meter : sample.meters) {
        rows += ',';
        rows += meterText(meter);
    }
    rows += ',';
    if (sample.fahrenheit)
        rows += QByteArray::number(*sample.fahrenheit);
    rows += ',';
    appendField(rows, boardText(sample.frequency));
    for (const int level : sample.aout) {
        rows += ',';
        rows += QByteArray::number(level);
    }
    rows += ',';
    appendField(rows, boardText(sample.frame), true);
    rows += lineEnd;
}

QByteArray row(const Sample &sample)
{
    QByteArray text;
    appendRow(text, sample);
    return text;
}

} // namespace RecordCsv
