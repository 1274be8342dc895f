#include "PanelInstance.h"

#include "PanelSocket.h"
#include "StaleLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <algorithm>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The control socket's request and reply, byte for byte as the control server writes them.
const QByteArray raiseRequest = "{\"command\":\"raise\"}\n";
const QByteArray raiseReply = "{\"ok\":true}\n";
constexpr int answerPatienceMs = 2000;
// A reply line of the panel's is a few bytes; one far longer is not an answer.
constexpr qint64 longestLine = 64 * 1024;

int msecsLeft(const QDeadlineTimer &deadline)
{
    return int(std::max<qint64>(deadline.remainingTime(), 0));
}

// The first line of the answer to `request` from the socket at `path`, with its line feed;
// nothing when no socket answers there, or no whole line comes before the deadline. Waits
// without an event loop: a second start asks before it has one.
std::optional<QByteArray> firstLine(const QString &path, const QByteArray &request,
                                    const QDeadlineTimer &deadline)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(msecsLeft(deadline)))
        return std::nullopt;
    socket.write(request);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(msecsLeft(deadline)))
            return std::nullopt;
    // A line cut short by the end of the connection is no answer, and neither is a flood.
    while (!socket.canReadLine())
        if (socket.bytesAvailable() > longestLine || !socket.waitForReadyRead(msecsLeft(deadline)))
            return std::nullopt;
    return socket.readLine();
}

} // namespace

PanelInstance::PanelInstance(QObject *parent)
    : QObject(parent)
{}

PanelInstance::~PanelInstance()
{
    if (!m_server)
        return;
    m_server->close();
    // Still ours: the lock is let go of only after this.
    QLocalServer::removeServer(m_socketPath);
}

QString PanelInstance::lockPath()
{
    return QDir(PanelSocket::configFolder())
        .filePath(QStringLiteral("Tarnwick/Tarnwick.panel.lock"));
}

QString PanelInstance::socketFolder()
{
    return PanelSocket::folder();
}

QString PanelInstance::socketPath()
{
    return PanelSocket::path();
}

PanelInstance::Claim PanelInstance::claimQuietly()
{
    const QString path = lockPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    StaleLock::clear(path);
    m_lock = std::make_unique<QLockFile>(path);
    m_lock->setStaleLockTime(0); // only a dead holder, never a long-running one, is stale
    if (m_lock->tryLock(0)) {
        listen();
        return Claim::Claimed;
    }
    return m_lock->error() == QLockFile::LockFailedError ? Claim::OtherUnreachable : Claim::Failed;
}

PanelInstance::Claim PanelInstance::claim()
{
    const Claim claimed = claimQuietly();
    if (claimed != Claim::OtherUnreachable)
        return claimed;
    const std::optional<QByteArray> reply =
        firstLine(socketPath(), raiseRequest, QDeadlineTimer(answerPatienceMs));
    if (!reply)
        return Claim::OtherUnreachable;
    if (*reply == raiseReply)
        return Claim::OtherRaised;
    const QJsonObject answer = QJsonDocument::fromJson(*reply).object();
    return answer.value(QStringLiteral("error")).toString() == QLatin1String(serviceError)
               ? Claim::OtherIsService
               : Claim::OtherUnreachable;
}

void PanelInstance::listen()
{
    const QString path = socketPath();
    if (path.isEmpty())
        return;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // We hold the lock, so a socket file at this path is left from a panel that died.
    QLocalServer::removeServer(path);
    if (!m_server->listen(path)) {
        qWarning("cannot listen on %s: %s", qPrintable(path), qPrintable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
        return;
    }
    m_socketPath = path;
#ifdef Q_OS_UNIX
    // Read and write are all a socket's mode is for; the folder is the user's alone too.
    ::chmod(QFile::encodeName(path).constData(), 0600);
#endif
}
