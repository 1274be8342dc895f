#include "MosquittoBroker.h"

#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <unistd.h>

namespace {

constexpr int patience = 10000; // ms: an upper bound, never a delay

int freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool acceptsConnections(int port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    return socket.waitForConnected(500);
}

QString mosquittoProgram()
{
    // Debian puts the broker in /usr/sbin, which a user's PATH may lack.
    const QString found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    return found.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("mosquitto"),
                                                            {QStringLiteral("/usr/sbin")})
                           : found;
}

} // namespace

MosquittoBroker::MosquittoBroker()
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

MosquittoBroker::~MosquittoBroker()
{
    stop();
}

bool MosquittoBroker::start()
{
    const QString program = mosquittoProgram();
    if (program.isEmpty()) {
        m_error = QStringLiteral("mosquitto is not installed (scripts/install-deps.sh)");
        return false;
    }
    if (m_port == 0)
        m_port = freeLoopbackPort();
    QFile config(m_folder.filePath(QStringLiteral("mosquitto.conf")));
    QByteArray text = "listener " + QByteArray::number(m_port) + " 127.0.0.1\n" +
                      m_listenerOptions + "allow_anonymous " + (m_anonymous ? "true" : "false") +
                      "\npersistence false\nlog_type error\n";
    if (!m_passwordFile.isEmpty())
        text += "password_file " + QFile::encodeName(m_passwordFile) + "\n";
    // As root mosquitto would change to its own user, which a fresh machine may lack.
    if (::geteuid() == 0)
        text += "user root\n";
    if (!config.open(QIODevice::WriteOnly) || config.write(text) != text.size()) {
        m_error = QStringLiteral("cannot write %1").arg(config.fileName());
        return false;
    }
    config.close();
    m_process.start(program, {QStringLiteral("-c"), config.fileName()});
    if (!m_process.waitForStarted(patience)) {
        m_error = m_process.errorString();
        return false;
    }
    if (!QTest::qWaitFor([&] { return !isRunning() || acceptsConnections(m_port); }, patience) ||
        !isRunning()) {
        m_error = QStringLiteral("mosquitto did not take connections on port %1").arg(m_port);
        return false;
    }
    return true;
}

void MosquittoBroker::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(patience)) {
        m_process.kill();
        m_process.waitForFinished(patience);
    }
}
