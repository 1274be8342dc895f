#include "ControlCore.h"

#include "ColorButton.h"
#include "PanelStatus.h"
#include "RecordFiles.h"
#include "Recorder.h"
#include "StatusPoll.h"
#include "frmMonitor.h"

#include <QSlider>
#include <QTimer>

using ControlReplies::Refusal;
using ControlRequest::Command;
using ControlRequest::RecordAction;
using ControlRequest::RelayAction;
using ControlRequest::Request;

ControlCore::ControlCore(frmMonitor &window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
    StatusPoll &poll = window.poll();
    connect(&poll, &StatusPoll::frameShown, this, &ControlCore::frameShown);
    connect(&poll, &StatusPoll::relayFramesWritten, this,
            [this](const QList<QByteArray> &frames) { m_written = frames; });
    // Connected after the poll's own handler, so the resume timer has stopped when this runs.
    connect(poll.Timer3, &QTimer::timeout, this, &ControlCore::retryWaiting);
}

namespace {

QJsonObject recordingStatus(const Recorder &recorder)
{
    return {{QStringLiteral("active"), recorder.isRecording()},
            {QStringLiteral("folder"), recorder.folder()},
            {QStringLiteral("file"), recorder.file()},
            {QStringLiteral("rows"), double(recorder.rowsWritten())},
            {QStringLiteral("stopReason"), recorder.stopReason()},
            {QStringLiteral("text"), recorder.statusText()}};
}

} // namespace

QJsonObject ControlCore::status() const
{
    return readPanelStatus(m_window).toJson();
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
        Q_EMIT raiseRequested();
        reply(ControlReplies::done());
        return;
    case Command::Aout:
        if (const std::optional<Refusal> refusal = actingRefusal())
            reply(ControlReplies::refused(*refusal));
        else
            reply(moveSlider(request));
        return;
    case Command::Relay:
    case Command::Macro:
        runGuarded(request, reply);
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
        if (m_window.isUnloaded())
            return ControlReplies::refused(Refusal::Closing);
        const QString folder =
            request.folder.isEmpty() ? RecordFiles::defaultFolder() : request.folder;
        if (const std::optional<QString> problem = m_recorder->start(folder))
            return ControlReplies::failed(QStringLiteral("record-failed"), *problem);
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

std::optional<Refusal> ControlCore::actingRefusal() const
{
    if (m_window.isUnloaded())
        return Refusal::Closing;
    // The window is disabled exactly while the setup dialog is open, with the poll stopped.
    if (!m_window.isEnabled())
        return Refusal::SetupOpen;
    return std::nullopt;
}

void ControlCore::runGuarded(const Request &request, const Reply &reply)
{
    if (const std::optional<Refusal> refusal = actingRefusal())
        return reply(ControlReplies::refused(*refusal));
    StatusPoll &poll = m_window.poll();
    if (!poll.linkLit())
        return reply(ControlReplies::refused(Refusal::NoAnswer));
    if (request.command == Command::Relay) {
        const int relay = request.relay - 1;
        if (m_window.relayLocked(relay / 8, relay % 8))
            return reply(ControlReplies::refused(Refusal::WdtLock));
    }
    if (poll.Timer3->isActive()) {
        const quint64 id = m_nextWaitingId++;
        m_waiting.push_back({id, request, reply});
        QTimer::singleShot(poll.pollInterval(), this, [this, id] { giveUp(id); });
        return;
    }
    reply(request.command == Command::Relay ? runRelay(request) : runMacro(request));
}

void ControlCore::retryWaiting()
{
    // One at a time: the command that runs starts the resume timer again, and the next
    // waits for it in turn.
    if (m_waiting.empty() || m_window.poll().Timer3->isActive())
        return;
    const Waiting next = m_waiting.front();
    m_waiting.pop_front();
    runGuarded(next.request, next.reply);
    if (!m_window.poll().Timer3->isActive())
        retryWaiting(); // refused, or nothing ran: the next need not wait
}

void ControlCore::giveUp(quint64 id)
{
    for (auto it = m_waiting.begin(); it != m_waiting.end(); ++it)
        if (it->id == id) {
            const Reply reply = it->reply;
            m_waiting.erase(it);
            reply(ControlReplies::refused(Refusal::Busy));
            return;
        }
}

QJsonObject ControlCore::runRelay(const Request &request)
{
    const int bank = (request.relay - 1) / 8, position = (request.relay - 1) % 8;
    const quint32 shown = m_window.w.cmdRelay[bank][position]->backColor();
    // As a macro decides: "on" inverts a relay that shows the off colour, "off" one that
    // shows the on colour.
    bool wanted = true, send = true;
    switch (request.action) {
    case RelayAction::On:
        send = shown == m_window.offColor();
        break;
    case RelayAction::Off:
        wanted = false;
        send = shown == m_window.onColor();
        break;
    case RelayAction::Toggle:
        wanted = shown != m_window.onColor();
        break;
    }
    const std::map<int, bool> expected{{request.relay, wanted}};
    if (!send)
        return ControlReplies::ranRelayCommand(0, expected);
    m_written.reset();
    m_window.relayClick(bank, position);
    if (!m_written)
        return ControlReplies::refused(Refusal::Busy);
    return ControlReplies::ranRelayCommand(int(m_written->size()), expected);
}

QJsonObject ControlCore::runMacro(const Request &request)
{
    const std::array<bool, 64> shown = shownRelays(m_window);
    m_written.reset();
    m_window.cmdMacro_Click(request.macro - 1);
    if (!m_written)
        return ControlReplies::refused(Refusal::Busy);
    return ControlReplies::ranRelayCommand(int(m_written->size()),
                                           ControlReplies::expectedRelays(shown, *m_written));
}

QJsonObject ControlCore::moveSlider(const Request &request)
{
    QSlider *slider = request.output == 1 ? m_window.w.VScroll1 : m_window.w.VScroll2;
    // The slider's own change handler shows, stores and queues the value for the next poll;
    // the same value again changes nothing, as on the window.
    slider->setValue(request.value);
    QJsonObject reply = ControlReplies::done();
    reply.insert(QStringLiteral("value"), slider->value());
    return reply;
}
