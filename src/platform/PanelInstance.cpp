#include "PanelInstance.h"

#include "PanelSocket.h"
#include "StaleLock.h"
#include "UnixRequest.h"
#include "UnixServer.h"

#include <QDir>
#include <QLockFile>

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

    const std::optional<QByteArray> reply =
        UnixRequest::firstLine(socketPath(), raiseRequest, answerPatienceMs);
    return reply == raiseReply ? Claim::OtherRaised : Claim::OtherUnreachable;
}

void PanelInstance::listen()
{
    const QString path = socketPath();
    if (path.isEmpty())
        return;
    m_server = new UnixServer(this);
    // We hold the lock, so a socket file at this path is left from a panel that died; the
    // server replaces it.
    if (!m_server->listen(path)) {
        qWarning("cannot listen on %s: %s", qPrintable(path), qPrintable(m_server->errorString()));
        delete m_server;
        m_server = nullptr;
    }
}
