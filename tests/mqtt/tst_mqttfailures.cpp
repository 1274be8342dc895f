// A broker the bridge cannot use says why, at once: refused, a host not found, TLS with the
// library's own reason (a CA of another, a certificate for another name, TLS against a port
// without it), not authorised, a CA file that is missing. Each attempt is one line naming
// the broker, and "status" carries the state with the reason. Against a real mosquitto,
// with certificates the test makes with openssl; the core runs without a window.
#include "ControlCore.h"
#include "FakeSerialPort.h"
#include "FixedOptions.h"
#include "MemorySettingsStore.h"
#include "MosquittoBroker.h"
#include "MqttBridge.h"
#include "PanelCore.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 15000; // ms: an upper bound, never a delay

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

bool runs(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(patience);
    if (!ended || process.exitCode() != 0)
        qWarning("%s %s failed", qPrintable(program), qPrintable(arguments.join(u' ')));
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Throwaway certificate authorities and server certificates, made in a folder of the test.
struct Certificates
{
    QTemporaryDir folder;

    QString path(const QString &name) const { return folder.filePath(name); }

    bool authority(const QString &name)
    {
        return runs(u"openssl"_s, {u"req"_s, u"-x509"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
                                   u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s, u"-days"_s,
                                   u"2"_s, u"-subj"_s, u"/CN="_s + name, u"-keyout"_s,
                                   path(name + u".key"_s), u"-out"_s, path(name + u".crt"_s)});
    }
    // A server certificate for `altName` ("IP:127.0.0.1", "DNS:other.example") signed by
    // `authority`.
    bool server(const QString &name, const QString &authority, const QString &altName)
    {
        const QString extensions = path(name + u".ext"_s);
        return writeFile(extensions, "subjectAltName=" + altName.toUtf8() + "\n") &&
               runs(u"openssl"_s,
                    {u"req"_s, u"-newkey"_s, u"ec"_s, u"-pkeyopt"_s,
                     u"ec_paramgen_curve:prime256v1"_s, u"-nodes"_s, u"-subj"_s, u"/CN="_s + name,
                     u"-keyout"_s, path(name + u".key"_s), u"-out"_s, path(name + u".csr"_s)}) &&
               runs(u"openssl"_s,
                    {u"x509"_s, u"-req"_s, u"-in"_s, path(name + u".csr"_s), u"-CA"_s,
                     path(authority + u".crt"_s), u"-CAkey"_s, path(authority + u".key"_s),
                     u"-CAcreateserial"_s, u"-days"_s, u"2"_s, u"-extfile"_s, extensions, u"-out"_s,
                     path(name + u".crt"_s)});
    }
    QByteArray listener(const QString &name, const QString &authority) const
    {
        return "cafile " + QFile::encodeName(path(authority + u".crt"_s)) + "\ncertfile " +
               QFile::encodeName(path(name + u".crt"_s)) + "\nkeyfile " +
               QFile::encodeName(path(name + u".key"_s)) + "\n";
    }
};

int freeLoopbackPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

QString passwordProgram()
{
    const QString found = QStandardPaths::findExecutable(u"mosquitto_passwd"_s);
    return found.isEmpty() ? QStandardPaths::findExecutable(u"mosquitto_passwd"_s, {u"/usr/sbin"_s})
                           : found;
}

} // namespace

class TestMqttFailures : public QObject
{
    Q_OBJECT

    Certificates m_certificates;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_certificates.folder.isValid());
        QVERIFY(m_certificates.authority(u"ours"_s));
        QVERIFY(m_certificates.authority(u"theirs"_s));
        QVERIFY(m_certificates.server(u"loopback"_s, u"ours"_s, u"IP:127.0.0.1"_s));
        QVERIFY(m_certificates.server(u"elsewhere"_s, u"ours"_s, u"DNS:other.example"_s));
        QVERIFY(runs(passwordProgram(), {u"-b"_s, u"-c"_s, m_certificates.path(u"passwords"_s),
                                         u"panel"_s, u"right"_s}));
    }

    void eachFailedAttemptSaysWhyAndNamesTheBroker_data()
    {
        QTest::addColumn<QByteArray>("listener");   // the broker's TLS files; none: plain
        QTest::addColumn<bool>("anonymous");        // the broker lets in clients without a name
        QTest::addColumn<bool>("brokerRuns");       // false: nothing listens on the port
        QTest::addColumn<QByteArray>("connection"); // mqtt.ini's lines beside host and port
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("state");

        const Certificates &c = m_certificates;
        const QByteArray ourCa = "tls_ca_file=" + QFile::encodeName(c.path(u"ours.crt"_s)) + "\n";
        const QByteArray theirCa =
            "tls_ca_file=" + QFile::encodeName(c.path(u"theirs.crt"_s)) + "\n";
        QTest::newRow("refused") << QByteArray() << true << false << QByteArray() << u"127.0.0.1"_s
                                 << u"Connection refused"_s << u"connecting"_s;
        QTest::newRow("host not found")
            << QByteArray() << true << false << QByteArray() << u"no-such-host.invalid"_s
            << u"host not found"_s << u"connecting"_s;
        QTest::newRow("not authorised: no name")
            << QByteArray() << false << true << QByteArray() << u"127.0.0.1"_s
            << u"Connection Refused: not authorised"_s << u"connecting"_s;
        QTest::newRow("not authorised: a wrong password")
            << QByteArray() << false << true
            << QByteArray("username=panel\npassword_file=") +
                   QFile::encodeName(c.path(u"wrong-password"_s)) + "\n"
            << u"127.0.0.1"_s << u"Connection Refused: not authorised"_s << u"connecting"_s;
        QTest::newRow("TLS: another's CA")
            << c.listener(u"loopback"_s, u"ours"_s) << true << true << theirCa << u"127.0.0.1"_s
            << u"TLS: certificate verify failed"_s << u"connecting"_s;
        QTest::newRow("TLS: a certificate for another name")
            << c.listener(u"elsewhere"_s, u"ours"_s) << true << true << ourCa << u"127.0.0.1"_s
            << u"TLS: certificate verify failed"_s << u"connecting"_s;
        QTest::newRow("TLS to a port without it")
            << QByteArray() << true << true << ourCa << u"127.0.0.1"_s << u"TLS: "_s
            << u"connecting"_s;
        QTest::newRow("a CA file that is not there")
            << QByteArray() << true << true
            << QByteArray("tls_ca_file=") + QFile::encodeName(c.path(u"missing.crt"_s)) + "\n"
            << u"127.0.0.1"_s << u"tls_ca_file "_s + c.path(u"missing.crt"_s) + u": no such file"_s
            << u"off"_s;
    }
    void eachFailedAttemptSaysWhyAndNamesTheBroker()
    {
        QFETCH(QByteArray, listener);
        QFETCH(bool, anonymous);
        QFETCH(bool, brokerRuns);
        QFETCH(QByteArray, connection);
        QFETCH(QString, host);
        QFETCH(QString, reason);
        QFETCH(QString, state);

        QVERIFY(writeFile(m_certificates.path(u"wrong-password"_s), "wrong\n"));
        MosquittoBroker broker;
        broker.setListenerOptions(listener);
        broker.setAnonymous(anonymous, m_certificates.path(u"passwords"_s));
        int port = freeLoopbackPort();
        if (brokerRuns) {
            QVERIFY2(broker.start(), qPrintable(broker.errorString()));
            port = broker.port();
        }
        QTemporaryDir folder;
        const QString config = folder.filePath(u"mqtt.ini"_s);
        QVERIFY(writeFile(config, "[mqtt]\nhost=" + host.toUtf8() +
                                      "\nport=" + QByteArray::number(port) +
                                      "\nbase_topic=test/failing\n" + connection));

        MemorySettingsStore store;
        FakeSerialPort serial;
        FixedOptions options;
        PanelCore core(serial, store, options);
        ControlCore control(core);
        QStringList lines;
        MqttBridge bridge(core, control, config);
        bridge.setLog([&lines](const QString &line) { lines << line; });
        bridge.start();

        const QString named = host + u':' + QString::number(port) + u": "_s;
        const auto told = [&] {
            for (const QString &line : lines)
                if (line.startsWith(named + reason))
                    return true;
            return false;
        };
        QVERIFY2(QTest::qWaitFor(told, patience), qPrintable(lines.join(u'\n')));
        QVERIFY(!bridge.isConnected());
        const QJsonObject mqtt = control.status().value(u"mqtt"_s).toObject();
        QCOMPARE(mqtt.value(u"state"_s).toString(), state);
        QCOMPARE(mqtt.value(u"broker"_s).toString(), host + u':' + QString::number(port));
        QVERIFY2(mqtt.value(u"reason"_s).toString().startsWith(reason),
                 qPrintable(mqtt.value(u"reason"_s).toString()));
        // The message the library used to give for a missing file says nothing.
        for (const QString &line : lines)
            QVERIFY2(!line.contains(u"Invalid function arguments"_s), qPrintable(line));
    }

    void aBridgeThatIsOffSaysOffAndAConnectedOneHasNoReason()
    {
        MemorySettingsStore store;
        FakeSerialPort serial;
        FixedOptions options;
        PanelCore core(serial, store, options);
        ControlCore control(core);
        QCOMPARE(control.status().value(u"mqtt"_s).toObject().value(u"state"_s).toString(),
                 u"off"_s);

        MosquittoBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.errorString()));
        QTemporaryDir folder;
        const QString config = folder.filePath(u"mqtt.ini"_s);
        QVERIFY(writeFile(
            config, "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(broker.port()) + "\n"));
        MqttBridge bridge(core, control, config);
        bridge.setLog([](const QString &) {});
        bridge.start();
        QVERIFY(QTest::qWaitFor([&] { return bridge.isConnected(); }, patience));
        const QJsonObject mqtt = control.status().value(u"mqtt"_s).toObject();
        QCOMPARE(mqtt.value(u"state"_s).toString(), u"connected"_s);
        QCOMPARE(mqtt.value(u"reason"_s).toString(), QString());
    }
};

TARNWICK_TEST_MAIN(TestMqttFailures)
#include "tst_mqttfailures.moc"
