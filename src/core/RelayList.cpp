#include "RelayList.h"

#include "CommandFrames.h"
#include "NumberText.h"

#include <cmath>
#include <limits>

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Walks a text character by character, passing over what the reader skips.
class Reader
{
public:
    explicit Reader(QStringView text)
        : m_text(text)
    {}

    // The next character that counts, or nothing at the end; not taken.
    std::optional<QChar> peek()
    {
        while (m_at < m_text.size() && isSkipped(m_text[m_at]))
            ++m_at;
        if (m_at == m_text.size())
            return std::nullopt;
        return m_text[m_at];
    }
    void take() { ++m_at; }

    // Appends the digits that follow to `out`; returns how many.
    int digits(QString &out)
    {
        int count = 0;
        for (std::optional<QChar> c = peek(); c && isDigit(*c); c = peek(), ++count) {
            out += *c;
            take();
        }
        return count;
    }

private:
    QStringView m_text;
    qsizetype m_at = 0;
};

// Visits each field of a list: the text from the field on, and what is left once its three
// characters are taken off (fewer at the end).
template<typename Visit>
void forEachField(QStringView list, Visit visit)
{
    const int count = RelayList::fieldCount(list.size());
    QStringView current = list;
    for (int j = 0; j < count; ++j) {
        const QStringView remaining = current.size() > RelayList::fieldWidth
                                          ? current.sliced(RelayList::fieldWidth)
                                          : QStringView();
        visit(current, remaining);
        current = remaining;
    }
}

double roundHalfEven(double value)
{
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return whole;
}

} // namespace

namespace RelayList {

int fieldCount(qsizetype length)
{
    // A remainder of one rounds down, of two up; thirds never tie.
    return int((length + 1) / fieldWidth);
}

double readNumber(QStringView text)
{
    Reader reader(text);
    // The number in the plain form NumberText reads: sign, mantissa, "e", exponent.
    QString plain;
    bool negative = false;
    if (const std::optional<QChar> sign = reader.peek(); sign && (*sign == u'+' || *sign == u'-')) {
        negative = *sign == u'-';
        if (negative)
            plain += u'-';
        reader.take();
    }
    int mantissaDigits = reader.digits(plain);
    if (reader.peek() == QChar(u'.')) {
        reader.take();
        QString fraction;
        if (reader.digits(fraction) > 0) {
            plain += u'.';
            plain += fraction;
            mantissaDigits += int(fraction.size());
        }
    }
    if (mantissaDigits == 0)
        return 0.0;
    if (const std::optional<QChar> e = reader.peek();
        e && (*e == u'E' || *e == u'e' || *e == u'D' || *e == u'd')) {
        reader.take();
        QString exponent = QStringLiteral("e");
        if (const std::optional<QChar> sign = reader.peek();
            sign && (*sign == u'+' || *sign == u'-')) {
            exponent += *sign;
            reader.take();
        }
        if (reader.digits(exponent) > 0)
            plain += exponent;
    }
    if (const std::optional<double> value = NumberText::toDouble(plain))
        return *value;
    // Only a magnitude beyond a double's range has no value; small ones read as zero.
    const double infinity = std::numeric_limits<double>::infinity();
    return negative ? -infinity : infinity;
}

double readNumberFromFirstTwo(QStringView text)
{
    return readNumber(text.left(2));
}

char Relay::bankLetter() const
{
    return CommandFrames::bankLetters[bank];
}

std::optional<Relay> relayFor(double number)
{
    constexpr int relayCount = CommandFrames::bankCount * CommandFrames::relaysPerBank;
    if (!(number >= 0.0) || !(number < double(relayCount)))
        return std::nullopt;
    const int bank = int(std::floor(number / CommandFrames::relaysPerBank));
    const int position = int(roundHalfEven(number)) % CommandFrames::relaysPerBank;
    return Relay{bank, position};
}

QList<Field> walk(QStringView list)
{
    QList<Field> fields;
    forEachField(list, [&](QStringView current, QStringView remaining) {
        const double number = readNumber(current);
        fields.append({number, remaining.toString(), relayFor(number)});
    });
    return fields;
}

QList<double> command1Numbers(QStringView text)
{
    QList<double> numbers;
    forEachField(text, [&](QStringView current, QStringView) {
        numbers.append(readNumberFromFirstTwo(current));
    });
    return numbers;
}

} // namespace RelayList
