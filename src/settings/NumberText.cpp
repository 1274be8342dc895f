#include "NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A text that has the accepted form, as plain ASCII for std::from_chars (which takes no
// leading '+'), with the decimal exponent of its first significant digit, used to tell an
// underflow from an overflow.
struct Scanned
{
    std::string ascii;
    long long magnitude = 0;
};

std::optional<Scanned> scan(QStringView text)
{
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;

    Scanned result;
    result.ascii.reserve(std::size_t(end - i));
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            result.ascii += '-';
        ++i;
    }

    // Position of the first significant digit relative to the point: 0 for the units.
    long long integerDigits = 0; // after leading zeros
    long long leadingFractionZeros = 0;
    bool significantSeen = false;
    int digits = 0;
    for (; i < end && isDigit(text[i]); ++i, ++digits) {
        significantSeen = significantSeen || text[i] != u'0';
        if (significantSeen)
            ++integerDigits;
        result.ascii += char(text[i].unicode());
    }
    if (i < end && text[i] == u'.') {
        result.ascii += '.';
        for (++i; i < end && isDigit(text[i]); ++i, ++digits) {
            if (!significantSeen && text[i] == u'0')
                ++leadingFractionZeros;
            significantSeen = significantSeen || text[i] != u'0';
            result.ascii += char(text[i].unicode());
        }
    }
    if (digits == 0)
        return std::nullopt;

    long long exponent = 0;
    if (i < end && (text[i] == u'e' || text[i] == u'E')) {
        result.ascii += 'e';
        ++i;
        bool negativeExponent = false;
        if (i < end && (text[i] == u'+' || text[i] == u'-')) {
            negativeExponent = text[i] == u'-';
            result.ascii += char(text[i].unicode());
            ++i;
        }
        int exponentDigits = 0;
        for (; i < end && isDigit(text[i]); ++i, ++exponentDigits) {
            result.ascii += char(text[i].unicode());
            if (exponent < 1'000'000'000)
                exponent = exponent * 10 + (text[i].unicode() - u'0');
        }
        if (exponentDigits == 0)
            return std::nullopt;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != end)
        return std::nullopt;

    result.magnitude =
        (integerDigits > 0 ? integerDigits - 1 : -(leadingFractionZeros + 1)) + exponent;
    return result;
}

template<typename Real>
std::optional<Real> toReal(QStringView text)
{
    const std::optional<Scanned> scanned = scan(text);
    if (!scanned)
        return std::nullopt;
    const std::string &ascii = scanned->ascii;
    Real value{};
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value,
                                              std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        // Too small to tell from zero is zero; too large has no value.
        if (scanned->magnitude < 0)
            return ascii.front() == '-' ? -Real(0) : Real(0);
        return std::nullopt;
    }
    if (error != std::errc() || end != ascii.data() + ascii.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Round half to even without depending on the floating-point environment.
std::optional<double> roundHalfEven(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    double whole = std::floor(value);
    const double fraction = value - whole; // exact for every finite double
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole;
}

template<typename Int>
std::optional<Int> roundToInt(double value)
{
    const std::optional<double> rounded = roundHalfEven(value);
    if (!rounded || *rounded < double(std::numeric_limits<Int>::min()) ||
        *rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(*rounded);
}

template<typename Real>
QString fromReal(Real value, int significantDigits)
{
    if (!std::isfinite(value))
        return {};
    if (value == Real(0))
        return QStringLiteral("0"); // also for -0
    char buffer[64];
    std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                                std::chars_format::general, significantDigits);
    // Rounded to that many digits, the largest magnitudes go past the type's range ("1.8e+308"
    // for the largest double); they get the shortest text that reads back instead.
    const QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    if (toReal<Real>(text))
        return text;
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

} // namespace

namespace NumberText {

std::optional<double> toDouble(QStringView text)
{
    return toReal<double>(text);
}

std::optional<float> toSingle(QStringView text)
{
    return toReal<float>(text);
}

std::optional<qint16> toInt16(QStringView text)
{
    const std::optional<double> value = toDouble(text);
    return value ? roundToInt16(*value) : std::nullopt;
}

std::optional<qint32> toInt32(QStringView text)
{
    const std::optional<double> value = toDouble(text);
    return value ? roundToInt32(*value) : std::nullopt;
}

std::optional<qint16> roundToInt16(double value)
{
    return roundToInt<qint16>(value);
}

std::optional<qint32> roundToInt32(double value)
{
    return roundToInt<qint32>(value);
}

std::optional<int> toPortNumber(QStringView text)
{
    const std::optional<double> number = toDouble(text);
    if (!number || *number != std::floor(*number) || *number < 1 || *number > 255)
        return std::nullopt;
    return static_cast<int>(*number);
}

std::optional<int> toSliderPosition(QStringView text)
{
    const std::optional<double> number = toDouble(text);
    if (!number)
        return std::nullopt;
    return roundToInt32(std::clamp(*number, 0.0, 255.0));
}

QString fromSingle(float value)
{
    return fromReal(value, 7);
}

QString fromDouble(double value)
{
    return fromReal(value, 15);
}

QString fromInteger(qint64 value)
{
    return QString::number(value);
}

} // namespace NumberText
