#include "PanelInstance.h"

#include "PanelSocket.h"
#include "StaleLock.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// The control socket's request and reply, byte for byte as the control server writes them.
const QByteArray raiseRequest = "{\"command\":\"raise\"}\n";
const QByteArray raiseReply = "{\"ok\":true}\n";
constexpr int answerPatienceMs = 2000;

} // namespace

PanelInstance::PanelInstance(QObject *parent)
    : QObject(parent)
{}

PanelInstance::~PanelInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
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

PanelInstance::Claim PanelInstance::claim()
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
    if (m_lock->error() != QLockFile::LockFailedError)
        return Claim::Failed;

    QLocalSocket other;
    other.connectToServer(socketPath());
    if (!other.waitForConnected(answerPatienceMs))
        return Claim::OtherUnreachable;
    other.write(raiseRequest);
    other.flush();
    while (!other.canReadLine() && other.waitForReadyRead(answerPatienceMs)) {
    }
    return other.readLine() == raiseReply ? Claim::OtherRaised : Claim::OtherUnreachable;
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
#ifdef Q_OS_UNIX
    // Qt leaves the socket 0700; read and write are all it needs. The folder is 0700 too.
    ::chmod(QFile::encodeName(path).constData(), 0600);
#endif
}
