#include "StdinLines.h"

#include <QSocketNotifier>
#include <QString>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

StdinLines::StdinLines(QObject *parent)
    : QObject(parent)
{
    // Started in the background of an interactive shell, a read from the terminal would
    // stop the whole board (SIGTTIN); ignored, the read fails instead and input ends.
    std::signal(SIGTTIN, SIG_IGN);
    if (::fcntl(STDIN_FILENO, F_GETFD) < 0) {
        QTimer::singleShot(0, this, &StdinLines::finished); // no standard input at all
        return;
    }
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StdinLines::readAvailable);
}

void StdinLines::readAvailable()
{
    // One read per wake-up: the notifier fires again while more is waiting, and a blocking
    // descriptor (a terminal, a pipe) is only read when it has data.
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (count <= 0) {
        finish();
        return;
    }
    m_pending.append(buffer, count);
    qsizetype end;
    while ((end = m_pending.indexOf('\n')) >= 0) {
        QByteArray line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        Q_EMIT lineRead(QString::fromLocal8Bit(line));
    }
}

void StdinLines::finish()
{
    m_notifier->setEnabled(false);
    if (!m_pending.isEmpty()) {
        const QByteArray last = std::exchange(m_pending, {});
        Q_EMIT lineRead(QString::fromLocal8Bit(last));
    }
    Q_EMIT finished();
}
