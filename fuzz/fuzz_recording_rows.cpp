// A recording's header and rows, from names and bytes anyone may set: input names and meter
// captions typed by the user or hand-edited into the settings, and a frame and frequency as
// the serial line delivers them. Whatever they hold, the text read back as CSV (in pieces of
// any size, as the trend window reads a file) is two whole records of every column, the
// names and the board's bytes come back as written, and the meters read back as the same
// numbers.
#include "CsvReader.h"
#include "FuzzSupport.h"
#include "RecordColumns.h"
#include "RecordCsv.h"

#include <QTimeZone>
#include <cmath>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

constexpr const char *linkNames[] = {"never", "live", "no-reply", "lost"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    RecordCsv::Names names;
    for (QString &name : names.inputs)
        name = QString::fromUtf8(input.ConsumeRandomLengthString(40));
    for (QString &caption : names.meters)
        caption = QString::fromUtf8(input.ConsumeRandomLengthString(40));

    RecordCsv::Sample sample;
    sample.time = QDateTime::fromMSecsSinceEpoch(
        input.ConsumeIntegralInRange<qint64>(0, 4102444800000), // up to 2100
        QTimeZone(input.ConsumeIntegralInRange(-14 * 3600, 14 * 3600) / 60 * 60));
    sample.link = QString::fromLatin1(
        linkNames[input.ConsumeIntegralInRange<std::size_t>(0, std::size(linkNames) - 1)]);
    for (bool &relay : sample.relays)
        relay = input.ConsumeBool();
    for (bool &lamp : sample.inputs)
        lamp = input.ConsumeBool();
    for (double &meter : sample.meters)
        meter = input.ConsumeFloatingPoint<double>();
    if (input.ConsumeBool())
        sample.fahrenheit = input.ConsumeIntegral<int>();
    sample.aout = {input.ConsumeIntegral<int>(), input.ConsumeIntegral<int>()};
    sample.frequency = QByteArray::fromStdString(input.ConsumeRandomLengthString(8));
    const std::size_t piece = input.ConsumeIntegralInRange<std::size_t>(1, 64);
    sample.frame = QByteArray::fromStdString(input.ConsumeRemainingBytesAsString());

    const QByteArray text = RecordCsv::headerRow(names) + RecordCsv::row(sample);
    QList<CsvRecord> records;
    CsvReader reader([&records](const CsvRecord &record) { records << record; });
    for (qsizetype at = 0; at < text.size(); at += qsizetype(piece))
        reader.feed(QByteArrayView(text).sliced(at, std::min(qsizetype(piece), text.size() - at)));
    reader.finish();

    FUZZ_CHECK(records.size() == 2);
    for (const CsvRecord &record : records) {
        FUZZ_CHECK(record.fields.size() == RecordColumns::count);
        FUZZ_CHECK(record.terminated && !record.malformed && !record.openQuote);
    }
    const QList<QByteArray> &header = records[0].fields;
    const QList<QByteArray> &row = records[1].fields;
    for (int k = 0; k < RecordColumns::inputCount; ++k)
        FUZZ_CHECK(header[RecordColumns::firstInput + k] ==
                   RecordCsv::columnName(u"Input", k + 1, names.inputs[k]).toUtf8());
    for (int m = 0; m < RecordColumns::meterCount; ++m) {
        FUZZ_CHECK(header[RecordColumns::firstMeter + m] ==
                   RecordCsv::columnName(u"Meter", m + 1, names.meters[m]).toUtf8());
        const QByteArray &field = row[RecordColumns::firstMeter + m];
        if (!std::isfinite(sample.meters[m])) {
            FUZZ_CHECK(field.isEmpty());
            continue;
        }
        bool ok = false;
        FUZZ_CHECK(field.toDouble(&ok) == sample.meters[m] && ok);
    }
    FUZZ_CHECK(row[RecordColumns::frame] == RecordCsv::boardText(sample.frame).toUtf8());
    FUZZ_CHECK(row[RecordColumns::frequency] == RecordCsv::boardText(sample.frequency).toUtf8());
    FUZZ_CHECK(!text.contains('\0') && text.count("\r\n") == 2 && text.count('\n') == 2);
    FUZZ_CHECK(QDateTime::fromString(QString::fromLatin1(row[RecordColumns::time]),
                                     Qt::ISODateWithMs) == sample.time);
    return 0;
}
