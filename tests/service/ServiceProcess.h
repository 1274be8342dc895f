#pragma once

// tarnwickd as its own process on a settings folder of the test's, and tarnwick-ctl run
// against it. The service's standard error is kept line by line, so a test waits for the
// event it expects. Ended with SIGTERM when the test has not ended it.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <csignal>

namespace ServiceTest {

constexpr int patience = 15000; // ms: an upper bound, never a delay

inline QProcessEnvironment environmentFor(const QString &config)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    // No display for the service, and none for a window started beside it.
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("JOURNAL_STREAM"));
    environment.remove(QStringLiteral("NOTIFY_SOCKET"));
    return environment;
}

struct Ran
{
    int exitCode = -1; // -1: did not end normally in time
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end with the settings folder `config`, the test's events going on
// meanwhile: the simulated board lives in the test and must answer.
inline Ran run(const QString &program, const QStringList &arguments, const QString &config,
               const QProcessEnvironment &extra = {})
{
    QProcess process;
    QProcessEnvironment environment = environmentFor(config);
    for (const QString &key : extra.keys())
        environment.insert(key, extra.value(key));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Ran ran;
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, patience)) {
        process.kill();
        process.waitForFinished(patience);
        return ran;
    }
    ran.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    ran.out = process.readAllStandardOutput();
    ran.err = process.readAllStandardError();
    return ran;
}

inline Ran ctl(const QStringList &arguments, const QString &config)
{
    return run(QStringLiteral(TARNWICK_CTL), arguments, config);
}

struct ServiceProcess
{
    QProcess process;
    QByteArray log;

    explicit ServiceProcess(const QString &config, const QProcessEnvironment &extra = {})
    {
        QProcessEnvironment environment = environmentFor(config);
        for (const QString &key : extra.keys())
            environment.insert(key, extra.value(key));
        process.setProcessEnvironment(environment);
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this] { log += process.readAllStandardError(); });
        process.start(QStringLiteral(TARNWICKD), {});
    }
    ~ServiceProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGTERM);
            if (!process.waitForFinished(patience))
                process.kill();
        }
    }
    bool running() const { return process.state() == QProcess::Running; }
    void signal(int number) { ::kill(pid_t(process.processId()), number); }

    // The lines of the log that hold `text`.
    int linesWith(const QByteArray &text) const
    {
        int count = 0;
        for (const QByteArray &line : log.split('\n'))
            count += line.contains(text) ? 1 : 0;
        return count;
    }
    bool waitForLine(const QByteArray &text, int times = 1)
    {
        const bool seen = QTest::qWaitFor([&] { return linesWith(text) >= times; }, patience);
        if (!seen)
            qWarning("tarnwickd never said \"%s\"; it said:\n%s", text.constData(),
                     log.constData());
        return seen;
    }
    // Ends the service with `number` and gives its exit code (-1 when it did not end).
    int end(int number = SIGTERM)
    {
        signal(number);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, patience))
            return -1;
        log += process.readAllStandardError();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
};

} // namespace ServiceTest
