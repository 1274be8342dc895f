#pragma once

#include <QByteArray>
#include <QString>

// How the board's console shows what it received.

// The bytes as two-digit upper-case hex separated by blanks: "24 41 30 01 0D".
QString hexBytes(const QByteArray &bytes);

// What a command frame asks for: "relay bank A mask 01", "status request",
// "analog output 1 value 13", "unknown frame".
QString describeFrame(const QByteArray &frame);

// One console line for a received frame, without the timestamp:
// "24 41 30 01 0D  relay bank A mask 01".
QString frameLine(const QByteArray &frame);

// The bytes with control and non-ASCII bytes written as <CR>, <LF> or <xx>, for showing a
// status frame on one line.
QString printableBytes(const QByteArray &bytes);
