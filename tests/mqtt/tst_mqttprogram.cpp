// The program as a user runs it, as its own process on the simulated board, with the bridge
// configured in mqtt.ini and a real mosquitto: "status" says when the panel is gone, whether
// it ended or was killed, and the password never leaves its file.
#include "MosquittoBroker.h"
#include "MqttProbe.h"
#include "PtyBoard.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

constexpr int patience = 15000; // ms: an upper bound, never a delay

QString tarnwickFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/Tarnwick"_s;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMqttProgram : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statusSaysWhenThePanelIsGone_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("killed: the last will") << int(SIGKILL);
        QTest::newRow("ended by SIGTERM") << int(SIGTERM);
    }
    void statusSaysWhenThePanelIsGone()
    {
        QFETCH(int, signalNumber);
        QDir(tarnwickFolder()).removeRecursively();
        PtyBoard board;
        QVERIFY2(board.start(1), qPrintable(board.errorString()));
        board.setRelay(9, true);
        MosquittoBroker broker;
        QVERIFY2(broker.start(), qPrintable(broker.errorString()));
        MqttProbe probe(broker.port(), u"site/#"_s);
        QVERIFY(QTest::qWaitFor([&] { return probe.isSubscribed(); }, patience));

        const QByteArray secret = "s3cret-never-shown";
        const QString passwordFile = tarnwickFolder() + u"/mqtt.password"_s;
        QVERIFY(writeFile(passwordFile, secret + "\n"));
        const QByteArray config =
            "[mqtt]\nhost=127.0.0.1\nport=" + QByteArray::number(broker.port()) +
            "\nbase_topic=site/board1\nusername=panel\npassword_file=" + passwordFile.toUtf8() +
            "\n";
        QVERIFY(writeFile(tarnwickFolder() + u"/mqtt.ini"_s, config));

        QProcess panel;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        panel.setProcessEnvironment(environment);
        panel.start(QStringLiteral(TARNWICK_PROGRAM), {});
        QVERIFY(panel.waitForStarted(patience));
        const auto cleanUp = qScopeGuard([&] {
            if (panel.state() != QProcess::NotRunning) {
                panel.kill();
                panel.waitForFinished(patience);
            }
        });
        QVERIFY(probe.waitFor(u"site/board1/status"_s, "online", patience));
        QVERIFY(probe.waitFor(u"site/board1/relay/9"_s, "ON", patience));
        QVERIFY(probe.waitFor(u"site/board1/link"_s, "live", patience));

        ::kill(pid_t(panel.processId()), signalNumber);
        QVERIFY(panel.waitForFinished(patience));
        QVERIFY(probe.waitFor(u"site/board1/status"_s, "offline", patience));

        // The offline state is kept for whoever asks later.
        MqttProbe late(broker.port(), u"site/board1/status"_s);
        QVERIFY(late.waitFor(u"site/board1/status"_s, "offline", patience));
        QCOMPARE(readFile(tarnwickFolder() + u"/mqtt.ini"_s), config);
        const QByteArray said = panel.readAllStandardError() + panel.readAllStandardOutput();
        QVERIFY2(said.contains("connected to 127.0.0.1"), said.constData());
        QVERIFY(!said.contains(secret));
        QVERIFY(!readFile(tarnwickFolder() + u"/Tarnwick.ini"_s).contains(secret));
    }
};

TARNWICK_TEST_MAIN(TestMqttProgram)
#include "tst_mqttprogram.moc"
