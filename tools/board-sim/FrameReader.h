#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Cuts the byte stream that the panel sends into five-byte command frames: "$", two code
// bytes, one raw argument byte, carriage return. The stream may arrive in pieces of any
// size and may carry garbage.
//
// The argument byte is never escaped, so a frame can only be recognised by its shape: a
// "$" with a carriage return four bytes later. Bytes before a "$" are garbage. A "$" whose
// fifth byte is not a carriage return was not the start of a frame: only that "$" is
// dropped and the search goes on from the byte after it, so a real frame that started
// inside the false candidate is still found.
class FrameReader
{
public:
    static constexpr int frameLength = 5;

    // Takes the next piece of the stream; returns the frames it completes, in order.
    QList<QByteArray> feed(QByteArrayView bytes);

    // Bytes held back: the start of a frame not yet complete.
    qsizetype pendingBytes() const { return m_buffer.size(); }

    // Bytes thrown away as garbage since construction or the last clear().
    qint64 discardedBytes() const { return m_discarded; }

    void clear();

private:
    QByteArray m_buffer;
    qint64 m_discarded = 0;
};
