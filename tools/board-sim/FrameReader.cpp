#include "FrameReader.h"

QList<QByteArray> FrameReader::feed(QByteArrayView bytes)
{
    m_buffer.append(bytes);
    QList<QByteArray> frames;
    qsizetype at = 0;
    for (;;) {
        const qsizetype start = m_buffer.indexOf('$', at);
        if (start < 0) {
            m_discarded += m_buffer.size() - at;
            at = m_buffer.size();
            break;
        }
        m_discarded += start - at;
        at = start;
        if (m_buffer.size() - at < frameLength)
            break;
        if (m_buffer[at + frameLength - 1] == '\r') {
            frames.append(m_buffer.mid(at, frameLength));
            at += frameLength;
        } else {
            ++m_discarded;
            ++at;
        }
    }
    m_buffer.remove(0, at);
    return frames;
}

void FrameReader::clear()
{
    m_buffer.clear();
    m_discarded = 0;
}
