#pragma once

// The program as its own process, on the offscreen platform, with this test's environment
// (its configuration folder, so the simulated board's port links are found). Ended with
// SIGTERM when the test has not ended it. The test names the program in TARNWICK_PROGRAM.
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>

struct PanelProcess
{
    static constexpr int patience = 15000; // ms: an upper bound, never a delay

    QProcess process;

    explicit PanelProcess(const QString &config = QString())
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!config.isEmpty())
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(TARNWICK_PROGRAM), {});
    }
    ~PanelProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGTERM);
            if (!process.waitForFinished(patience))
                process.kill();
        }
    }
    bool running() const { return process.state() == QProcess::Running; }
};
