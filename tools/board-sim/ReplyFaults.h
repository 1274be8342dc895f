#pragma once

#include "StatusField.h"

#include <QByteArray>

// Faulty replies the board can be told to send, built from a good status frame.

// The frame with the first character of the field replaced by "x" ("005" becomes "x05"),
// so the field no longer reads as a number. A field the frame is too short for leaves it
// unchanged.
QByteArray withNonNumericField(QByteArray frame, StatusField field);

// The reply stretched or cut to a wrong length, as a board or line fault would:
//   69  the frame without its closing carriage return;
//   71  the frame followed by a line feed (a board set to end its lines with CR LF);
//  140  the frame twice, back to back (two replies piled up).
// Any other length gives the frame unchanged.
QByteArray withLength(const QByteArray &frame, int length);

// The reply lengths withLength() makes.
bool isFaultyReplyLength(int length);
