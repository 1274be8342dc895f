// Number texts both ways. Text to number is checked against a second reading (a pattern for
// the accepted form, the C library for the value); number to text must read back as the
// same number to its precision, in the plain form the store keeps, and be stable when
// written again.
#include "FuzzSupport.h"
#include "NumberText.h"

#include <QRegularExpression>
#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>

namespace {

// The accepted form: blanks around an optional sign, digits with an optional point (at least
// one digit in all), an optional exponent. Nothing for anything else.
std::optional<QByteArray> acceptedForm(QStringView text)
{
    static const QRegularExpression form(
        QStringLiteral("^[ \\t]*([+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?)[ \\t]*\\z"));
    const QRegularExpressionMatch match = form.match(text.toString());
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toLatin1();
}

template<typename Real>
void checkTextToNumber(QStringView text, std::optional<Real> got,
                       Real (*convert)(const char *, char **), Real smallest)
{
    const std::optional<QByteArray> form = acceptedForm(text);
    if (!form) {
        FUZZ_CHECK(!got);
        return;
    }
    const Real expected = convert(form->constData(), nullptr);
    if (std::isinf(expected)) { // beyond the type's range
        FUZZ_CHECK(!got);
        return;
    }
    FUZZ_CHECK(got.has_value());
    // Too small for a normal number of the type may read as zero.
    FUZZ_CHECK(*got == expected || (*got == 0 && std::fabs(expected) < smallest));
}

double toDouble(const char *text, char **end)
{
    return std::strtod(text, end);
}

float toFloat(const char *text, char **end)
{
    return std::strtof(text, end);
}

// The plain form: digits, at most one point, no trailing zero after it, an exponent only
// where the magnitude calls for one.
void checkPlainText(const QString &text, double magnitude, double plainFrom, double plainBelow)
{
    static const QRegularExpression plain(
        QStringLiteral("^-?[0-9]+(\\.[0-9]*[1-9])?(e[+-][0-9]+)?\\z"));
    FUZZ_CHECK(plain.match(text).hasMatch());
    FUZZ_CHECK(text != u"-0"_qs);
    // Away from the edges, where rounding to the digits kept may cross them.
    if (magnitude != 0 && magnitude > plainFrom * 1.01 && magnitude < plainBelow * 0.99)
        FUZZ_CHECK(!text.contains(u'e'));
    if (magnitude != 0 && (magnitude < plainFrom * 0.99 || magnitude > plainBelow * 1.01))
        FUZZ_CHECK(text.contains(u'e'));
}

void checkFromDouble(double value)
{
    const QString text = NumberText::fromDouble(value);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(text.isEmpty());
        FUZZ_CHECK(!NumberText::toDouble(text));
        return;
    }
    checkPlainText(text, std::fabs(value), 1e-4, 1e15);
    const std::optional<double> back = NumberText::toDouble(text);
    FUZZ_CHECK(back.has_value());
    // Fifteen significant digits (half a unit in the last is 5e-15 of the value at most), and
    // half a unit in the last place of the double read back.
    FUZZ_CHECK(std::fabs(*back - value) <= std::fabs(value) * 5.2e-15 || std::fabs(value) < 1e-300);
    // Fifteen digits survive a trip through a double, so the text is written again as it is.
    FUZZ_CHECK(NumberText::fromDouble(*back) == text);
}

void checkFromSingle(float value)
{
    const QString text = NumberText::fromSingle(value);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(text.isEmpty());
        return;
    }
    checkPlainText(text, std::fabs(double(value)), 1e-4, 1e7);
    const std::optional<float> back = NumberText::toSingle(text);
    FUZZ_CHECK(back.has_value());
    // Seven significant digits (5e-7 of the value at most), and half a unit in the last place
    // of the float read back (6e-8).
    FUZZ_CHECK(std::fabs(double(*back) - double(value)) <= std::fabs(double(value)) * 5.6e-7 ||
               std::fabs(value) < 1e-37f);
}

template<typename Int>
void checkRounding(std::optional<Int> got, std::optional<double> value)
{
    if (!value) {
        FUZZ_CHECK(!got);
        return;
    }
    // Half to even is the C library's default rounding.
    const double rounded = std::nearbyint(*value);
    const bool fits = rounded >= double(std::numeric_limits<Int>::min()) &&
                      rounded <= double(std::numeric_limits<Int>::max());
    FUZZ_CHECK(got.has_value() == fits);
    if (fits)
        FUZZ_CHECK(double(*got) == rounded);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    std::setlocale(LC_NUMERIC, "C");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);

    // Numbers from their bytes: every double and float, infinities and NaNs included.
    const double asDouble = input.ConsumeFloatingPoint<double>();
    const float asSingle = input.ConsumeFloatingPoint<float>();
    const qint64 asInteger = input.ConsumeIntegral<qint64>();
    checkFromDouble(asDouble);
    checkFromSingle(asSingle);
    FUZZ_CHECK(NumberText::fromInteger(asInteger) == QString::number(asInteger));
    FUZZ_CHECK(NumberText::toDouble(NumberText::fromInteger(asInteger)) == double(asInteger));

    // The rest as a text, as a user could type it or hand-edit it into the store.
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QString text = QString::fromUtf8(rest.data(), qsizetype(rest.size()));
    const std::optional<double> number = NumberText::toDouble(text);
    checkTextToNumber<double>(text, number, toDouble, DBL_MIN);
    checkTextToNumber<float>(text, NumberText::toSingle(text), toFloat, FLT_MIN);
    checkRounding(NumberText::toInt16(text), number);
    checkRounding(NumberText::toInt32(text), number);
    if (number)
        checkFromDouble(*number);
    return 0;
}
