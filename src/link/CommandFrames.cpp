#include "CommandFrames.h"

#include <QtGlobal>

namespace CommandFrames {

QByteArray frame(char code1, char code2, quint8 argument)
{
    const char bytes[frameLength] = {start, code1, code2, static_cast<char>(argument), end};
    return QByteArray(bytes, frameLength);
}

QByteArray statusRequest()
{
    return frame(';', ';', ';');
}

QByteArray analogOutputFrame(int output, quint8 value)
{
    Q_ASSERT(output == 1 || output == 2);
    const char code = output == 1 ? 'I' : 'J';
    return frame(code, code, value);
}

} // namespace CommandFrames

QByteArray MakeRelayFrame(char bankLetter, int position)
{
    Q_ASSERT(bankLetter >= 'A' && bankLetter <= 'H');
    Q_ASSERT(position >= 0 && position < CommandFrames::relaysPerBank);
    return CommandFrames::frame(bankLetter, '0', static_cast<quint8>(1u << position));
}
