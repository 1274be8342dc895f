#include "ReplyFaults.h"

QByteArray withNonNumericField(QByteArray frame, StatusField field)
{
    const int start = statusFieldStart(field);
    if (start > 0 && start <= frame.size())
        frame[start - 1] = 'x';
    return frame;
}

QByteArray withLength(const QByteArray &frame, int length)
{
    switch (length) {
    case 69:
        return frame.left(frame.size() - 1);
    case 71:
        return frame + '\n';
    case 140:
        return frame + frame;
    default:
        return frame;
    }
}

bool isFaultyReplyLength(int length)
{
    return length == 69 || length == 71 || length == 140;
}
