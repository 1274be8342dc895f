#include "ControlCore.h"

#include "PanelCore.h"
#include "PanelInstance.h"
#include "PanelStatus.h"
#include "RecordFiles.h"
#include "Recorder.h"

using ControlReplies::Refusal;
using ControlRequest::Command;
using ControlRequest::RecordAction;
using ControlRequest::RelayAction;
using ControlRequest::Request;

ControlCore::ControlCore(PanelCore &core, QObject *parent)
    : QObject(parent)
    , m_core(core)
{
    connect(&core, &PanelCore::frameShown, this, &ControlCore::frameShown);
}

namespace {

QJsonObject recordingStatus(const Recorder &recorder)
{
    return {{QStringLiteral("active"), recorder.isRecording()},
            {QStringLiteral("folder"), recorder.folder()},
            {QStringLiteral("file"), recorder.file()},
            {QStringLiteral("rows"), double(recorder.rowsWritten())},
            {QStringLiteral("stopReason"), recorder.stopReason()},
            {QStringLiteral("every"), recorder.plan().everySeconds},
            {QStringLiteral("keepDays"), recorder.plan().keepDays},
            {QStringLiteral("text"), recorder.statusText()}};
}

PanelCore::Wish wishOf(RelayAction action)
{
    switch (action) {
    case RelayAction::On:
        return PanelCore::Wish::On;
    case RelayAction::Off:
        return PanelCore::Wish::Off;
    case RelayAction::Toggle:
    case RelayAction::Pulse:
        break;
    }
    return PanelCore::Wish::Toggle;
}

QJsonObject replyOf(const PanelCore::Outcome &outcome)
{
    if (outcome.refusal)
        return ControlReplies::refused(*outcome.refusal);
    return ControlReplies::ranRelayCommand(int(outcome.frames.size()), outcome.expect,
                                           outcome.confirmAfter);
}

} // namespace

QJsonObject ControlCore::status() const
{
    QJsonObject status = readPanelStatus(m_core).toJson();
    status.insert(QStringLiteral("mqtt"),
                  m_mqttState ? m_mqttState()
                              : QJsonObject{{QStringLiteral("state"), QStringLiteral("off")},
                                            {QStringLiteral("broker"), QString()},
                                            {QStringLiteral("reason"), QString()}});
    return status;
}

void ControlCore::handle(const Request &request, const Reply &reply)
{
    switch (request.command) {
    case Command::Status: {
        QJsonObject answer = ControlReplies::done();
        answer.insert(QStringLiteral("status"), status());
        reply(answer);
        return;
    }
    case Command::Watch:
        reply(ControlReplies::done());
        return;
    case Command::Raise:
        if (m_windowless)
            return reply(ControlReplies::failed(QLatin1String(PanelInstance::serviceError),
                                                QLatin1String(PanelInstance::serviceMessage)));
        Q_EMIT raiseRequested();
        reply(ControlReplies::done());
        return;
    case Command::Aout: {
        if (const std::optional<Refusal> refusal = m_core.outputRefusal())
            return reply(ControlReplies::refused(*refusal));
        // Shown, stored and sent with the next poll as the slider's move; the same value
        // again changes nothing, as on the window.
        m_core.setOutput(request.output, request.value);
        QJsonObject answer = ControlReplies::done();
        answer.insert(QStringLiteral("value"), m_core.outputValue(request.output));
        reply(answer);
        return;
    }
    case Command::Relay:
        if (request.action == RelayAction::Pulse)
            return m_core.requestPulse(
                request.relay - 1, request.pulseMs,
                [reply](const PanelCore::Outcome &outcome) { reply(replyOf(outcome)); });
        m_core.requestRelay(
            request.relay - 1, wishOf(request.action),
            [reply](const PanelCore::Outcome &outcome) { reply(replyOf(outcome)); });
        return;
    case Command::Macro:
        m_core.requestMacro(request.macro - 1, [reply](const PanelCore::Outcome &outcome) {
            reply(replyOf(outcome));
        });
        return;
    case Command::Record:
        reply(record(request));
        return;
    }
}

QJsonObject ControlCore::record(const Request &request)
{
    if (!m_recorder)
        return ControlReplies::failed(QStringLiteral("no-recorder"),
                                      QStringLiteral("This panel does not record."));
    switch (request.recordAction) {
    case RecordAction::Start: {
        if (m_core.isClosing())
            return ControlReplies::refused(Refusal::Closing);
        const QString folder =
            request.folder.isEmpty() ? RecordFiles::defaultFolder() : request.folder;
        const Recorder::Plan before = m_recorder->plan();
        m_recorder->setPlan({request.everySeconds.value_or(before.everySeconds),
                             request.keepDays.value_or(before.keepDays)});
        if (const std::optional<QString> problem = m_recorder->start(folder)) {
            m_recorder->setPlan(before); // refused before anything changed
            return ControlReplies::failed(QStringLiteral("record-failed"), *problem);
        }
        break;
    }
    case RecordAction::Stop:
        m_recorder->stop();
        break;
    case RecordAction::Status:
        break;
    }
    QJsonObject answer = ControlReplies::done();
    answer.insert(QStringLiteral("recording"), recordingStatus(*m_recorder));
    return answer;
}
