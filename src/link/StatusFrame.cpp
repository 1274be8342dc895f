#include "StatusFrame.h"

#include <cmath>

namespace StatusFrame {

std::optional<int> readNumber(QByteArrayView frame, Field field)
{
    const qsizetype first = field.position - 1;
    if (first < 0 || first + field.width > frame.size())
        return std::nullopt;
    const char *c = frame.data() + first;
    const char *const end = c + field.width;

    while (c != end && *c == ' ')
        ++c;
    bool negative = false;
    if (c != end && (*c == '-' || *c == '+'))
        negative = *c++ == '-';
    if (c == end)
        return std::nullopt;
    int value = 0;
    for (; c != end; ++c) {
        if (*c < '0' || *c > '9')
            return std::nullopt;
        value = value * 10 + (*c - '0');
    }
    return negative ? -value : value;
}

QString text(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes);
}

QString frequencyText(QByteArrayView frame)
{
    if (frame.size() < frequency.position - 1 + frequency.width)
        return {};
    return text(frame.sliced(frequency.position - 1, frequency.width));
}

QString temperatureText(int fahrenheit, bool celsius)
{
    if (!celsius)
        return QString::number(fahrenheit) + QLatin1Char('F');
    const double degrees = std::floor((fahrenheit - 32) * 5.0 / 9.0);
    return QString::number(static_cast<long long>(degrees)) + QLatin1Char('C');
}

} // namespace StatusFrame
