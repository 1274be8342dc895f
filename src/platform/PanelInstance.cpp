#include "PanelInstance.h"

#include "StaleLock.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray raiseRequest = "{\"command\":\"raise\"}\n";
const QByteArray raiseReply = "{\"ok\":true}\n";
constexpr int answerPatienceMs = 2000;

QString configFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .absolutePath();
}

// A folder only this user may enter: made with mode 0700, or found so and owned by us.
bool isPrivateFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(folder);
    ::mkdir(name.constData(), 0700);
    struct stat info
    {};
    return ::lstat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
#else
    return QDir().mkpath(folder);
#endif
}

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
    return QDir(configFolder()).filePath(QStringLiteral("Tarnwick/Tarnwick.panel.lock"));
}

QString PanelInstance::socketFolder()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QString folder;
    if (!runtime.isEmpty() && QDir(runtime).exists()) {
        folder = QDir(runtime).filePath(QStringLiteral("tarnwick"));
    } else {
#ifdef Q_OS_UNIX
        const QString user = QString::number(::getuid());
#else
        const QString user = qEnvironmentVariable("USERNAME");
#endif
        folder = QDir(QDir::tempPath()).filePath(QStringLiteral("tarnwick-") + user);
    }
    return isPrivateFolder(folder) ? folder : QString();
}

QString PanelInstance::socketPath()
{
    const QString folder = socketFolder();
    if (folder.isEmpty())
        return {};
    const QByteArray hash =
        QCryptographicHash::hash(QFile::encodeName(configFolder()), QCryptographicHash::Sha256)
            .toHex()
            .left(16);
    return QDir(folder).filePath(QStringLiteral("panel-") + QString::fromLatin1(hash));
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
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, &PanelInstance::answer);
}

void PanelInstance::answer()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, client, [this, client] {
            while (client->canReadLine()) {
                if (client->readLine() != raiseRequest) {
                    client->disconnectFromServer();
                    return;
                }
                client->write(raiseReply);
                Q_EMIT raiseRequested();
            }
            if (client->bytesAvailable() > 1024)
                client->disconnectFromServer(); // no line of ours is that long
        });
    }
}
