// Relay lists as the macros walk them and as the debug strip's "Cmd" button reads them, over
// any text a user could type or hand-edit into the store. The number reader is checked
// against a second reading: the text with every skipped character removed, matched by a
// pattern and converted by the C library.
#include "FuzzSupport.h"
#include "RelayList.h"

#include <QRegularExpression>
#include <cerrno>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>

namespace {

double expectedNumber(QStringView text)
{
    QString plain = text.toString();
    // A field's first two characters may split a surrogate pair, and a regular expression
    // matches nothing in such a text. No character beyond ASCII belongs to a number, so each
    // stands in as one the pattern stops at.
    for (QChar &c : plain) {
        if (c.unicode() > 0x7f)
            c = u'?';
    }
    plain.remove(QRegularExpression(QStringLiteral("[ \\t\\n]")));
    static const QRegularExpression number(
        QStringLiteral("^([+-]?)([0-9]*)(?:\\.([0-9]*))?(?:[eEdD]([+-]?[0-9]+))?"));
    const QRegularExpressionMatch match = number.match(plain);
    const QString whole = match.captured(2), fraction = match.captured(3);
    if (whole.isEmpty() && fraction.isEmpty())
        return 0.0;
    QString c = match.captured(1) + (whole.isEmpty() ? QStringLiteral("0") : whole);
    if (!fraction.isEmpty())
        c += u'.' + fraction;
    if (match.capturedLength(4) > 0)
        c += u'e' + match.captured(4);
    const QByteArray ascii = c.toLatin1();
    return std::strtod(ascii.constData(), nullptr); // overflow: infinite with its sign
}

// Equal, or both too small for a normal double: the reader may take those as zero.
bool sameNumber(double got, double expected)
{
    return got == expected || (std::fabs(got) < DBL_MIN && std::fabs(expected) < DBL_MIN);
}

void checkRelay(const std::optional<RelayList::Relay> &relay, double number)
{
    if (!(number >= 0 && number < 64)) {
        FUZZ_CHECK(!relay);
        return;
    }
    FUZZ_CHECK(relay.has_value());
    FUZZ_CHECK(relay->bank == int(std::floor(number / 8)));
    // Rounded half to even: the C library's default rounding does that.
    FUZZ_CHECK(relay->position == int(std::nearbyint(number)) % 8);
    FUZZ_CHECK(relay->bankLetter() == "ABCDEFGH"[relay->bank]);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString list = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    // Three characters a field, a remainder of two counting as one more field.
    const int count = RelayList::fieldCount(list.size());
    FUZZ_CHECK(count == (list.size() + 1) / 3);

    const QList<RelayList::Field> fields = RelayList::walk(list);
    FUZZ_CHECK(fields.size() == count);
    for (int k = 0; k < count; ++k) {
        const QStringView current = QStringView(list).mid(3 * k);
        FUZZ_CHECK(fields[k].remaining == list.mid(3 * (k + 1)));
        FUZZ_CHECK(fields[k].number == RelayList::readNumber(current));
        FUZZ_CHECK(sameNumber(fields[k].number, expectedNumber(current)));
        checkRelay(fields[k].relay, fields[k].number);
        FUZZ_CHECK(fields[k].relay == RelayList::relayFor(fields[k].number));
    }

    // The debug strip reads the first two characters of each field's text only.
    const QList<double> command = RelayList::command1Numbers(list);
    FUZZ_CHECK(command.size() == count);
    for (int k = 0; k < count; ++k) {
        const QStringView firstTwo = QStringView(list).mid(3 * k).left(2);
        FUZZ_CHECK(command[k] == RelayList::readNumberFromFirstTwo(QStringView(list).mid(3 * k)));
        FUZZ_CHECK(sameNumber(command[k], expectedNumber(firstTwo)));
        // Two characters hold at most two digits: a relay number from 0 to 99, or a sign.
        FUZZ_CHECK(command[k] >= -9 && command[k] <= 99);
    }
    return 0;
}
