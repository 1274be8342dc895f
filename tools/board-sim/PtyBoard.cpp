#include "PtyBoard.h"

#include "PortLink.h"
#include "PortPaths.h"
#include "ReplyFaults.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <unistd.h>

PtyBoard::PtyBoard(QObject *parent)
    : QObject(parent)
{}

PtyBoard::~PtyBoard()
{
    if (m_pty.isOpen())
        PortLink::removeIfLeadsTo(m_linkPath, m_pty.slavePath());
    closeDevice();
}

bool PtyBoard::start(int portNumber)
{
    if (m_started) {
        m_error = QStringLiteral("the board is already started on %1").arg(m_linkPath);
        return false;
    }
    if (portNumber < 1) {
        m_error = QStringLiteral("port number %1: must be 1 or more").arg(portNumber);
        return false;
    }
    const QString folder = PortPaths::portsFolder();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("cannot create the ports folder %1").arg(folder);
        return false;
    }
    m_linkPath = PortPaths::linkPath(portNumber);
    if (!openDevice())
        return false;
    m_portNumber = portNumber;
    m_started = true;
    return true;
}

bool PtyBoard::openDevice()
{
    QString error;
    if (!m_pty.open(&error)) {
        m_error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(error);
        return false;
    }
    if (!PortLink::place(m_linkPath, m_pty.slavePath(), &error)) {
        m_error = error;
        m_pty.close();
        return false;
    }
    m_notifier = new QSocketNotifier(m_pty.masterFd(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyBoard::readMaster);
    m_error.clear();
    return true;
}

void PtyBoard::closeDevice()
{
    ++m_generation;
    delete m_notifier; // before its descriptor is closed
    m_notifier = nullptr;
    m_pty.close();
    m_reader.clear();
}

bool PtyBoard::hangUp()
{
    if (!m_pty.isOpen())
        return false;
    PortLink::removeIfLeadsTo(m_linkPath, m_pty.slavePath());
    closeDevice();
    return true;
}

bool PtyBoard::reconnect()
{
    if (!m_started || m_pty.isOpen()) {
        m_error = m_started ? QStringLiteral("the board is not hung up")
                            : QStringLiteral("the board was never started");
        return false;
    }
    return openDevice();
}

// --- State

template<typename Change>
bool PtyBoard::changeState(Change change)
{
    BoardState next = m_state;
    if (!change(next))
        return false;
    if (!(next == m_state)) {
        m_state = next;
        Q_EMIT stateChanged();
    }
    return true;
}

void PtyBoard::setState(const BoardState &state)
{
    changeState([&](BoardState &next) {
        next = state;
        return true;
    });
}

bool PtyBoard::setRelayBank(int bank, quint8 bits)
{
    return changeState([&](BoardState &next) { return next.setRelayBank(bank, bits); });
}

bool PtyBoard::setRelay(int number, bool on)
{
    return changeState([&](BoardState &next) { return next.setRelay(number, on); });
}

bool PtyBoard::setInputs(int bits)
{
    return changeState([&](BoardState &next) {
        if (bits < 0 || bits > 255)
            return false;
        next.setInputs(quint8(bits));
        return true;
    });
}

bool PtyBoard::setMeter(int channel, int value)
{
    return changeState([&](BoardState &next) { return next.setMeter(channel, value); });
}

bool PtyBoard::setTemperature(int fahrenheit)
{
    return changeState([&](BoardState &next) { return next.setTemperature(fahrenheit); });
}

bool PtyBoard::setFrequency(const QByteArray &text)
{
    return changeState([&](BoardState &next) { return next.setFrequency(text); });
}

// --- Timing and counters

void PtyBoard::setReplyDelay(int milliseconds)
{
    m_replyDelay = qMax(0, milliseconds);
}

void PtyBoard::setSplitGap(int milliseconds)
{
    m_splitGap = qMax(0, milliseconds);
}

void PtyBoard::resetCounters()
{
    m_statusRequests = 0;
    m_framesReceived = 0;
    m_unknownFrames = 0;
    m_repliesSent = 0;
    m_garbageReceived = 0;
}

// --- Faults

void PtyBoard::setSilent(bool silent)
{
    m_silent = silent;
}

bool PtyBoard::setNextReplyLength(int length)
{
    if (length == StatusLayout::frameLength) {
        m_nextLength.reset();
        return true;
    }
    if (!isFaultyReplyLength(length))
        return false;
    m_nextLength = length;
    return true;
}

void PtyBoard::setNextReplyNonNumeric(StatusField field)
{
    m_nextNonNumeric = field;
}

void PtyBoard::setNextReplySplit()
{
    m_nextSplit = true;
}

void PtyBoard::clearReplyFaults()
{
    m_nextLength.reset();
    m_nextNonNumeric.reset();
    m_nextSplit = false;
}

bool PtyBoard::sendGarbage(int count)
{
    if (!m_pty.isOpen() || count < 1 || count > 4096)
        return false;
    QByteArray bytes(count, '\0');
    for (char &byte : bytes)
        byte = char(QRandomGenerator::global()->bounded(256));
    writeToLine(bytes);
    return true;
}

bool PtyBoard::sendUnaskedReply()
{
    if (!m_pty.isOpen())
        return false;
    writeToLine(m_state.statusFrame());
    return true;
}

// --- The line

void PtyBoard::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(m_pty.masterFd(), buffer, sizeof buffer);
        if (count > 0) {
            const qint64 discardedBefore = m_reader.discardedBytes();
            const QList<QByteArray> frames = m_reader.feed(QByteArrayView(buffer, count));
            m_garbageReceived += m_reader.discardedBytes() - discardedBefore;
            const quint64 generation = m_generation;
            for (const QByteArray &frame : frames) {
                handleFrame(frame);
                if (generation != m_generation)
                    return; // a slot hung the board up: its descriptor is gone
            }
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or a hard error on the master: with our own slave descriptor open
        // this does not happen in normal use. Stop listening rather than spin.
        m_error = count < 0 ? QStringLiteral("reading the pty master: %1")
                                  .arg(QString::fromLocal8Bit(std::strerror(errno)))
                            : QStringLiteral("reading the pty master: end of file");
        qWarning("tarnwick-board: %s", qPrintable(m_error));
        m_notifier->setEnabled(false);
        return;
    }
}

void PtyBoard::handleFrame(const QByteArray &frame)
{
    const BoardState before = m_state;
    BoardState after = m_state;
    const FrameKind kind = after.apply(frame);
    if (!(m_relaysStuck && kind == FrameKind::RelayBank))
        m_state = after;
    ++m_framesReceived;
    if (kind == FrameKind::StatusRequest)
        ++m_statusRequests;
    else if (kind == FrameKind::Unknown)
        ++m_unknownFrames;

    Q_EMIT frameReceived(frame);
    if (!(before == m_state))
        Q_EMIT stateChanged();
    if (kind != FrameKind::StatusRequest)
        return;
    Q_EMIT statusRequested();
    if (m_silent || !m_pty.isOpen())
        return;
    const quint64 generation = m_generation;
    QTimer::singleShot(m_replyDelay, Qt::PreciseTimer, this, [this, generation] {
        if (generation == m_generation && !m_silent)
            sendReply();
    });
}

void PtyBoard::sendReply()
{
    QByteArray reply = m_state.statusFrame();
    if (m_nextNonNumeric)
        reply = withNonNumericField(reply, *m_nextNonNumeric);
    if (m_nextLength)
        reply = withLength(reply, *m_nextLength);
    const bool split = m_nextSplit;
    clearReplyFaults();
    ++m_repliesSent;

    if (!split) {
        writeToLine(reply);
        return;
    }
    const qsizetype half = reply.size() / 2;
    writeToLine(reply.left(half));
    const quint64 generation = m_generation;
    QTimer::singleShot(m_splitGap, Qt::PreciseTimer, this,
                       [this, generation, rest = reply.mid(half)] {
                           if (generation == m_generation)
                               writeToLine(rest);
                       });
}

void PtyBoard::writeToLine(const QByteArray &bytes)
{
    // The slave's input queue holds a few kilobytes. When the program has not read for a
    // long time it is full and the rest is lost, as a real receiver's buffer overruns.
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(m_pty.masterFd(), bytes.constData() + written,
                                      std::size_t(bytes.size() - written));
        if (count > 0) {
            written += count;
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        break;
    }
    if (written > 0)
        Q_EMIT bytesSent(bytes.left(written));
}
