#pragma once

#include <QString>
#include <optional>

// A settings string such as "19200,n,8,1": baud rate, parity letter, data bits, stop bits.
struct LineSettings
{
    int baudRate = 0;
    char parity = 'n'; // n, e, o, m or s
    int dataBits = 8;
    int stopBits = 1;

    static std::optional<LineSettings> parse(const QString &text);
};
