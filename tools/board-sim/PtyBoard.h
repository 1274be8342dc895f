#pragma once

#include "BoardState.h"
#include "FrameReader.h"
#include "PseudoTerminal.h"
#include "StatusField.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

class QSocketNotifier;

// The simulated control board on a pseudo-terminal, linked as the panel's port "COM<n>"
// (PortPaths::linkPath(n)). It answers the panel's wire format as the real board does:
//
//  - every complete five-byte command frame is applied to state() (relay-bank frames
//    invert the masked relays, "$II"/"$JJ" record the analog outputs) and announced with
//    frameReceived();
//  - every status request "$;;;"+CR is answered replyDelay() ms later (the 70 characters'
//    line time at 19200 baud) with the status frame of the state at that moment.
//
// Faults can be injected: silence, a wrong reply length, garbage, a non-numeric field, a
// reply split in two, and the device being pulled out (hangUp()) and plugged back in
// (reconnect()). The one-shot faults ("the next reply ...") wait for the next reply that
// is actually sent, and combine: a non-numeric field is put in first, then the length is
// changed, then the result is split.
//
// Everything runs on the thread that owns the object, driven by its event loop; a test
// that has the board in-process waits with QSignalSpy::wait or QTest::qWaitFor.
class PtyBoard : public QObject
{
    Q_OBJECT

public:
    // 70 characters of 10 bits each (start, 8 data, stop) at 19200 baud.
    static constexpr int defaultReplyDelay = 70 * 10 * 1000 / 19200; // 36 ms
    // Longer than the panel's shortest poll interval (180 ms) and its default (200 ms).
    static constexpr int defaultSplitGap = 300;

    explicit PtyBoard(QObject *parent = nullptr);
    // Removes the link (if it is still ours) and closes the pseudo-terminal.
    ~PtyBoard() override;

    // Opens a pseudo-terminal and links it as COM<portNumber>, creating the ports folder.
    // False, with errorString() saying why, when the port number is below 1, the pty cannot
    // be opened, or the link path is taken (see PortLink::place). Call once.
    bool start(int portNumber);
    QString errorString() const { return m_error; }

    int portNumber() const { return m_portNumber; }
    // The link, e.g. ~/.config/Tarnwick/ports/COM1; empty before start().
    QString linkPath() const { return m_linkPath; }
    // The pty slave, e.g. /dev/pts/7; empty while hung up or before start().
    QString devicePath() const { return m_pty.slavePath(); }
    // Started and not hung up.
    bool isConnected() const { return m_pty.isOpen(); }

    // --- State. Each setter returns false (changing nothing) for an argument out of range,
    // and emits stateChanged() when the state really changed.
    const BoardState &state() const { return m_state; }
    void setState(const BoardState &state);
    bool setRelayBank(int bank, quint8 bits);  // bank 0..7 = A..H
    bool setRelay(int number, bool on);        // 1..64
    bool setInputs(int bits);                  // 0..255
    bool setMeter(int channel, int value);     // 0..5, 0..999
    bool setTemperature(int fahrenheit);       // -99..999
    bool setFrequency(const QByteArray &text); // five printable characters

    // --- Timing.
    int replyDelay() const { return m_replyDelay; }
    void setReplyDelay(int milliseconds); // negative counts as 0
    int splitGap() const { return m_splitGap; }
    void setSplitGap(int milliseconds); // negative counts as 0

    // --- Counters, since start() or resetCounters().
    int statusRequests() const { return m_statusRequests; }
    int framesReceived() const { return m_framesReceived; }
    int unknownFrames() const { return m_unknownFrames; }
    int repliesSent() const { return m_repliesSent; }
    // Bytes of the incoming stream that were not part of any frame.
    qint64 garbageReceived() const { return m_garbageReceived; }
    void resetCounters();

    // --- Faults.
    // While silent, status requests are counted and announced but not answered; a reply
    // already due is not sent either.
    void setSilent(bool silent);
    bool isSilent() const { return m_silent; }
    // The next reply is 69, 71 or 140 characters long (see withLength()); 70 cancels.
    // False for any other length.
    bool setNextReplyLength(int length);
    // The next reply carries "x" in the first character of `field`.
    void setNextReplyNonNumeric(StatusField field);
    // The next reply is sent as two halves, splitGap() ms apart.
    void setNextReplySplit();
    // While relays are stuck, relay-bank frames are counted and announced but change no
    // relay: a board whose relay driver has failed, or one that ignores relay commands.
    void setRelaysStuck(bool stuck) { m_relaysStuck = stuck; }
    bool relaysStuck() const { return m_relaysStuck; }
    // Forgets every pending one-shot fault.
    void clearReplyFaults();
    // Sends `count` (1..4096) random bytes at once. False when hung up or count is out of
    // range.
    bool sendGarbage(int count);
    // Sends the status frame as the board has it now, unasked: the reply to a request that a
    // program before this one wrote. False when hung up.
    bool sendUnaskedReply();

    // The device is pulled out: the master and the board's own slave descriptor are
    // closed, so a program holding the port open gets EIO from then on, and the link is
    // removed, as a pulled adapter's device node disappears. Pending replies are dropped.
    // False when not connected.
    bool hangUp();
    // The device comes back: a new pseudo-terminal, linked at the same path. False (with
    // errorString()) when it is not hung up or the pty or link cannot be made.
    bool reconnect();

Q_SIGNALS:
    // Every complete command frame, after the board has applied it.
    void frameReceived(const QByteArray &frame);
    // A status request arrived (after frameReceived for it).
    void statusRequested();
    // The state changed: a relay-bank or analog-output frame, or one of the setters.
    void stateChanged();
    // Bytes were written to the line: a reply (each half of a split one), or garbage.
    void bytesSent(const QByteArray &bytes);

private:
    bool openDevice();
    void closeDevice();
    void readMaster();
    void handleFrame(const QByteArray &frame);
    void sendReply();
    void writeToLine(const QByteArray &bytes);
    template<typename Change>
    bool changeState(Change change);

    BoardState m_state;
    PseudoTerminal m_pty;
    QSocketNotifier *m_notifier = nullptr;
    FrameReader m_reader;
    QString m_error;
    QString m_linkPath;
    int m_portNumber = 0;
    bool m_started = false;
    // Bumped whenever the device goes away, so replies scheduled before that are dropped.
    quint64 m_generation = 0;

    int m_replyDelay = defaultReplyDelay;
    int m_splitGap = defaultSplitGap;

    int m_statusRequests = 0;
    int m_framesReceived = 0;
    int m_unknownFrames = 0;
    int m_repliesSent = 0;
    qint64 m_garbageReceived = 0;

    bool m_silent = false;
    bool m_relaysStuck = false;
    std::optional<int> m_nextLength;
    std::optional<StatusField> m_nextNonNumeric;
    bool m_nextSplit = false;
};
