#pragma once

#include "PortProblem.h"

#include <QByteArray>
#include <QString>

// What the last try to open the board's port met. The setup dialog's port table reads it
// beside what it sees itself: an open meets things that looking at a device cannot show.
class LastPortOpen
{
public:
    virtual ~LastPortOpen() = default;
    // Why the last open failed; Kind::None after a successful one and before any.
    virtual PortProblem lastProblem() const = 0;
};

// The serial line to the board, reduced to the operations the program uses. One instance
// lives on the monitor window; only the user-interface thread touches it.
class SerialPort : public LastPortOpen
{
public:
    virtual bool isOpen() const = 0;
    virtual void close() = 0;

    // Takes effect at the next open; ignored while the port is open.
    virtual void setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;

    // Line settings such as "19200,n,8,1"; take effect at the next open.
    virtual void setSettings(const QString &settings) = 0;

    // Opens the port named by the port number; false when it cannot be opened. Input that
    // waits on the line from before the open is discarded: a reply the board sent to a run
    // before this one (or to this one before a reopen) answers nothing asked since.
    virtual bool open() = 0;

    // 0 means that one read returns everything received so far.
    virtual void setReadLength(int length) = 0;

    // Hands the bytes to the transmit buffer and returns at once. False when the port is
    // closed or the device refuses them.
    virtual bool write(const QByteArray &bytes) = 0;

    // Returns at once with every byte received since the previous read (possibly none).
    virtual QByteArray readAll() = 0;

    virtual void clearOutput() = 0;
    virtual void clearInput() = 0;

    // Bytes written that have not left for the line yet, where the port can tell.
    virtual qint64 bytesToWrite() const { return 0; }

    // True after a port that was open lost its device (an adapter pulled out): the port has
    // closed itself. An explicit close() or a successful open() ends this state. While lost,
    // open() tries only the path the port had open, never the device the number would
    // lead to now: a pulled board must not be replaced by some other device.
    virtual bool isLost() const = 0;

    // The path the port has open, or last opened or tried: the per-user link or the device.
    virtual QString path() const = 0;
    // What that path led to when it was opened, for showing the user.
    virtual QString device() const = 0;
};
