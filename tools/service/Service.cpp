#include "Service.h"

#include "ControlServer.h"
#include "LinkState.h"
#include "PanelInstance.h"
#include "PortProblem.h"
#include "ServiceLog.h"
#include "SettingsKeys.h"
#include "StatusPoll.h"
#include "SystemdNotify.h"

namespace {

QString portName(int number, const QString &stored)
{
    return QStringLiteral("COM ") + (number > 0 ? QString::number(number) : stored.trimmed());
}

} // namespace

Service::Service(PanelInstance &instance, QObject *parent)
    : QObject(parent)
    , m_settingsWatch(m_store.fileName(SettingsKeys::application))
{
    m_control.setWindowless(true);
    m_control.setRecorder(&m_recorder);
    if (instance.server())
        m_server = std::make_unique<ControlServer>(instance.server(), m_control);
    else
        ServiceLog::line(QStringLiteral("the control socket cannot listen; tarnwick-ctl will "
                                        "not reach this service"));

    m_retry.setInterval(retryMs);
    connect(&m_retry, &QTimer::timeout, this, &Service::tryOpen);
    m_stopPatience.setSingleShot(true);
    connect(&m_stopPatience, &QTimer::timeout, this, &Service::finished);

    connect(&m_core, &PanelCore::linkChanged, this, &Service::linkChanged);
    connect(&m_core, &PanelCore::frameShown, this, [this] {
        if (m_stopping)
            finishWhenSettled();
    });
    connect(&m_settingsWatch, &FileWatch::changed, this, &Service::reload);
    // The bridge's connection, its failures and the commands it drops, in this log.
    m_mqtt.setLog([](const QString &line) { ServiceLog::line(QStringLiteral("mqtt: ") + line); });
    connect(&m_recorder, &Recorder::stateChanged, this, &Service::recordingChanged);
    connect(&m_recorder, &Recorder::tidyingFailed, this, [](const QString &reason) {
        ServiceLog::line(QStringLiteral("recording: ") + reason);
    });
}

Service::~Service() = default;

void Service::start()
{
    ServiceLog::line(QStringLiteral("reading %1").arg(m_store.fileName(SettingsKeys::application)));
    takeOptions();
    for (int output = 1; output <= 2; ++output)
        if (const std::optional<int> level = m_options.storedOutput(output))
            m_core.setOutput(output, *level, true);
    tryOpen();
    if (!m_port.isOpen())
        m_retry.start();
    m_mqtt.start();
    followRecordFolder();
    SystemdNotify::ready();
}

void Service::takeOptions()
{
    m_core.poll().setPollInterval(m_options.pollInterval());
    for (PanelNames::Kind kind :
         {PanelNames::Kind::Input, PanelNames::Kind::Output, PanelNames::Kind::Macro})
        for (int i = 0; i < PanelNames::count(kind); ++i)
            m_core.setName(kind, i, m_options.names().at(kind, i));
    m_core.loadRelayNames();
}

void Service::tryOpen()
{
    const std::optional<int> number = m_options.portNumber();
    m_port.setPortNumber(number.value_or(0));
    m_port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!m_port.open()) {
        const QString problem = QStringLiteral("%1: not available. %2")
                                    .arg(portName(number.value_or(0), m_options.portText()),
                                         PortDiagnosis::explanation(m_port.lastProblem()));
        if (problem != m_lastOpenProblem)
            ServiceLog::line(problem + QStringLiteral(" Trying again every second."));
        m_lastOpenProblem = problem;
        return;
    }
    m_retry.stop();
    m_lastOpenProblem.clear();
    m_openedPort = m_port.portNumber();
    m_port.setReadLength(0);
    ServiceLog::line(
        QStringLiteral("%1 open on %2").arg(portName(m_openedPort, {}), m_port.device()));
    if (!m_polling) {
        // As the window does once its port opened at start.
        m_polling = true;
        setTimerEnabled(m_core.poll().Timer1, true);
        setTimerEnabled(m_core.poll().Timer3, false);
        m_core.showRelaysOff();
    }
    linkChanged();
}

void Service::linkChanged()
{
    const LinkState::State state = m_core.link().state();
    QString line = QStringLiteral("link: ") + QLatin1String(linkStateName(state));
    if (!m_port.isOpen() && m_port.isLost())
        line += QStringLiteral(" (") + PortDiagnosis::explanation(m_port.lastProblem()) + u')';
    else if (m_port.isOpen())
        line += QStringLiteral(" on ") + m_port.device();
    if (line == m_loggedLink)
        return; // only its time changed
    m_loggedLink = line;
    ServiceLog::line(line);
}

void Service::reload()
{
    if (m_stopping)
        return;
    SystemdNotify::reloading();
    m_options.reload();
    takeOptions();
    ServiceLog::line(
        QStringLiteral("settings read again: polling every %1 ms").arg(m_options.pollInterval()));
    if (m_port.isOpen() && m_options.portNumber().value_or(0) != m_openedPort) {
        ServiceLog::line(
            QStringLiteral("the port changed to %1")
                .arg(portName(m_options.portNumber().value_or(0), m_options.portText())));
        m_port.close();
        tryOpen();
        if (!m_port.isOpen())
            m_retry.start();
    }
    followRecordFolder();
    m_core.noteOptionsChanged();
    SystemdNotify::ready();
}

void Service::followRecordFolder()
{
    m_recorder.setPlan({m_options.recordEvery(), m_options.recordKeepDays()});
    const QString folder = m_options.recordFolder();
    if (folder == m_recordFolder)
        return;
    m_recordFolder = folder;
    if (folder.isEmpty())
        m_recorder.stop();
    else if (const std::optional<QString> problem = m_recorder.start(folder))
        ServiceLog::line(QStringLiteral("recording cannot start in %1: %2").arg(folder, *problem));
}

void Service::recordingChanged()
{
    const bool recording = m_recorder.isRecording();
    if (recording == m_loggedRecording && m_recorder.folder() == m_loggedFolder)
        return;
    m_loggedRecording = recording;
    m_loggedFolder = m_recorder.folder();
    if (recording)
        ServiceLog::line(QStringLiteral("recording to ") + m_loggedFolder);
    else if (m_recorder.stopReason().isEmpty())
        ServiceLog::line(QStringLiteral("recording stopped"));
    else
        ServiceLog::line(QStringLiteral("recording stopped: ") + m_recorder.stopReason());
}

void Service::stop()
{
    if (std::exchange(m_stopping, true))
        return;
    SystemdNotify::stopping();
    m_retry.stop();
    m_core.endPulses(); // a relay pulsed on is switched off before the port closes
    m_core.setClosing();
    // A command on the line is let finish: the frame that confirms it comes within a few
    // polls, and a silent board is not waited for longer than a command would wait.
    m_stopPatience.start(int(m_core.patienceMs()));
    finishWhenSettled();
}

void Service::finishWhenSettled()
{
    if (m_core.commandsInFlight() && m_port.isOpen())
        return;
    m_stopPatience.stop();
    Q_EMIT finished();
}
