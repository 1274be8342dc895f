#include "PanelCore.h"

#include "CommandFrames.h"
#include "PanelOptions.h"
#include "RelayExpectation.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "StatusFrame.h"

#include <algorithm>

namespace {

PanelCore::Outcome refused(CommandRefusal refusal)
{
    PanelCore::Outcome outcome;
    outcome.refusal = refusal;
    return outcome;
}

int relayIndex(int bank, int position)
{
    return bank * CommandFrames::relaysPerBank + position;
}

QByteArray relayFrame(int relay)
{
    return MakeRelayFrame(CommandFrames::bankLetters[relay / CommandFrames::relaysPerBank],
                          relay % CommandFrames::relaysPerBank);
}

} // namespace

PanelCore::PanelCore(SerialPort &port, SettingsStore &store, PanelOptions &options, QObject *parent)
    : QObject(parent)
    , m_port(port, [this] { return m_poll->now(); })
    , m_store(store)
    , m_options(options)
    , m_poll(new StatusPoll(m_port, *this, this))
{
    m_state.temperature = m_state.frequency = QStringLiteral("0"); // the readouts' captions
    connect(m_poll, &StatusPoll::linkChanged, this, &PanelCore::linkChanged);
    connect(m_poll, &StatusPoll::frameShown, this, [this](const QByteArray &frame) {
        Q_EMIT frameShown(frame);
        dispatch();
    });
    // Connected after the poll's own handler, so the resume timer has stopped when this runs.
    connect(m_poll->Timer3, &QTimer::timeout, this, &PanelCore::dispatch);
    m_dispatchTimer.setSingleShot(true);
    m_dispatchTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_dispatchTimer, &QTimer::timeout, this, &PanelCore::dispatch);
    m_patienceTimer.setSingleShot(true);
    connect(&m_patienceTimer, &QTimer::timeout, this, &PanelCore::dispatch);
    m_pulseTimer.setSingleShot(true);
    m_pulseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pulseTimer, &QTimer::timeout, this, &PanelCore::pulsesDue);
}

// Commands still waiting are dropped unanswered: those who would be told are being taken
// down with the panel. setClosing() answers them while they are still there.
PanelCore::~PanelCore() = default;

void PanelCore::showStatusFrame(const QByteArray &frame)
{
    m_state.frame = frame;
    const std::optional<int> fahrenheit = StatusFrame::readNumber(frame, StatusFrame::temperature);
    std::optional<StatusDecoders::TickDisplay> tick;
    if (fahrenheit) {
        std::array<double, StatusDecoders::meterCount> scaleMaxima{};
        std::array<QString, StatusDecoders::meterCount> multipliers;
        for (int m = 0; m < StatusDecoders::meterCount; ++m) {
            scaleMaxima[m] = m_options.meterScaleMax(m);
            multipliers[m] = m_options.meterMultiplier(m);
        }
        tick = StatusDecoders::decodeTick(frame, scaleMaxima, multipliers);
        m_state.temperature =
            StatusFrame::temperatureText(*fahrenheit, m_options.temperatureInCelsius());
        m_state.inputs = tick->inputs.lamps;
        if (tick->relays) {
            for (int bank = 0; bank < StatusDecoders::bankCount; ++bank)
                for (int position = 0; position < StatusDecoders::relaysPerBank; ++position)
                    m_state.relays[std::size_t(relayIndex(bank, position))] =
                        tick->relays->banks[bank][position] ? ShownState::Relay::On
                                                            : ShownState::Relay::Off;
        }
    }
    m_state.frequency = StatusFrame::frequencyText(frame);
    const FrameUpdate update{frame, fahrenheit.has_value(), tick};
    if (update.metersShown())
        std::copy_n(tick->meters->needles.begin(), tick->meters->metersDecoded,
                    m_state.meters.begin());
    confirm(m_poll->frameAnswers());
    Q_EMIT frameApplied(update);
    if (update.metersShown() && tick->reachesOutputs) {
        for (const QByteArray &output : AnalogOutputs::sendingStep(m_output1, m_output2))
            m_port.write(output);
    }
}

bool PanelCore::guardOpen() const
{
    return m_poll->linkLit() && !m_poll->Timer3->isActive();
}

bool PanelCore::expectedOn(int relay) const
{
    for (const Waiting &waiting : m_waiting)
        if (waiting.relay == relay)
            return waiting.target;
    return writtenOn(relay);
}

bool PanelCore::writtenOn(int relay) const
{
    const std::optional<InFlight> &flying = m_inFlight[std::size_t(relay)];
    return flying ? flying->target : m_state.relayOn(relay);
}

bool PanelCore::inFlight() const
{
    return std::any_of(m_inFlight.begin(), m_inFlight.end(),
                       [](const std::optional<InFlight> &flying) { return flying.has_value(); });
}

std::map<int, bool> PanelCore::expectAfter(const QList<QByteArray> &frames) const
{
    std::array<bool, ShownState::relayCount> written{};
    for (int r = 0; r < ShownState::relayCount; ++r)
        written[std::size_t(r)] = writtenOn(r);
    return expectedRelays(written, frames);
}

PanelCore::Outcome PanelCore::write(const std::function<QList<QByteArray>()> &body)
{
    Outcome outcome;
    outcome.confirmAfter = m_poll->requestsWritten();
    const bool ran = m_poll->RunRelayCommand([&] {
        outcome.frames = body();
        outcome.expect = expectAfter(outcome.frames);
        return outcome.frames;
    });
    if (!ran)
        return refused(m_poll->linkLit() ? Refusal::Busy : Refusal::NoAnswer);
    for (const auto &[caption, on] : outcome.expect)
        m_inFlight[std::size_t(caption - 1)] = InFlight{on, outcome.confirmAfter};
    return outcome;
}

void PanelCore::confirm(quint64 answered)
{
    for (std::optional<InFlight> &flying : m_inFlight)
        if (flying && answered > flying->mark)
            flying.reset();
}

PanelCore::Outcome PanelCore::clickRelay(int relay)
{
    return write([&]() -> QList<QByteArray> {
        if (m_options.relayLocked(relay))
            return {};
        return {relayFrame(relay)};
    });
}

MacroCommand::MacroResult PanelCore::macroFrames(int index) const
{
    // The lists are read at every click, so an edit in the setup dialog or in the file
    // counts at once.
    m_store.refresh();
    const SettingsAccess settings(m_store);
    const MacroCommand::RelayColours colours{
        PanelColours::on, PanelColours::off, [this](int bank, int position) {
            return PanelColours::of(m_state.relays[std::size_t(relayIndex(bank, position))]);
        }};
    return MacroCommand::macroClick(settings.read(Keys::OnString, index),
                                    settings.read(Keys::OffString, index), colours);
}

PanelCore::Outcome PanelCore::clickMacro(int index)
{
    MacroCommand::MacroResult result;
    const Outcome outcome = write([&] {
        result = macroFrames(index);
        return result.frames;
    });
    if (!outcome.refusal)
        Q_EMIT macroRan(result);
    return outcome;
}

std::optional<PanelCore::Refusal> PanelCore::scriptRefusal(int relay) const
{
    if (m_closing)
        return Refusal::Closing;
    if (m_setupOpen)
        return Refusal::SetupOpen;
    if (!m_poll->linkLit())
        return Refusal::NoAnswer;
    if (relay >= 0 && m_options.relayLocked(relay))
        return Refusal::WdtLock;
    return std::nullopt;
}

void PanelCore::requestRelay(int relay, Wish wish, const Done &done)
{
    if (const std::optional<Refusal> refusal = scriptRefusal(relay))
        return done(refused(*refusal));
    const bool target = wish == Wish::Toggle ? !expectedOn(relay) : wish == Wish::On;
    for (Waiting &waiting : m_waiting) {
        if (waiting.relay == relay) {
            waiting.target = target;
            waiting.done.push_back(done);
            return;
        }
    }
    if (target == writtenOn(relay))
        return done(Outcome{std::nullopt, {}, {{relay + 1, target}}, m_poll->requestsWritten()});
    m_waiting.push_back({relay, target, -1, m_poll->now(), {done}});
    dispatch();
}

void PanelCore::requestPulse(int relay, int milliseconds, const Done &done)
{
    const qint64 length = std::clamp(milliseconds, shortestPulseMs, longestPulseMs);
    requestRelay(relay, Wish::On, [this, relay, length, done](const Outcome &outcome) {
        if (!outcome.refusal) {
            m_pulseEnds[relay] = m_poll->now() + length;
            schedulePulses();
        }
        done(outcome);
    });
}

std::vector<PanelCore::Pulse> PanelCore::pulses() const
{
    std::vector<Pulse> running;
    const qint64 now = m_poll->now();
    for (const auto &[relay, ends] : m_pulseEnds)
        running.push_back({relay, ends == pulseEnding ? 0 : std::max<qint64>(0, ends - now)});
    return running;
}

void PanelCore::schedulePulses()
{
    if (m_pulseEnds.empty()) {
        m_pulseTimer.stop();
        return;
    }
    qint64 first = pulseEnding;
    for (const auto &[relay, ends] : m_pulseEnds)
        first = std::min(first, ends);
    if (first == pulseEnding)
        m_pulseTimer.stop(); // every off is on its way
    else
        m_pulseTimer.start(int(std::max<qint64>(0, first - m_poll->now())));
}

void PanelCore::pulsesDue()
{
    const qint64 now = m_poll->now();
    std::vector<int> due;
    for (const auto &[relay, ends] : m_pulseEnds)
        if (ends <= now)
            due.push_back(relay);
    for (const int relay : due) {
        // Kept until the off is written, so an end of the panel meanwhile still ends it.
        m_pulseEnds[relay] = pulseEnding;
        requestRelay(relay, Wish::Off, [this, relay](const Outcome &outcome) {
            const auto pulse = m_pulseEnds.find(relay);
            if (pulse == m_pulseEnds.end() || pulse->second != pulseEnding)
                return; // ended at the exit, or pulsed again meanwhile
            // Not now (the setup dialog is open, the line stayed busy): the off is asked for
            // again a poll later, so a pulse never leaves its relay on.
            if (outcome.refusal && *outcome.refusal != Refusal::Closing)
                pulse->second = m_poll->now() + m_poll->pollInterval();
            else
                m_pulseEnds.erase(pulse);
            schedulePulses();
        });
    }
    schedulePulses();
}

void PanelCore::endPulses()
{
    m_pulseTimer.stop();
    for (const auto &[relay, ends] : m_pulseEnds)
        if (writtenOn(relay) && m_port.isOpen())
            m_port.write(relayFrame(relay));
    m_pulseEnds.clear();
}

void PanelCore::requestMacro(int index, const Done &done)
{
    if (const std::optional<Refusal> refusal = scriptRefusal(-1))
        return done(refused(*refusal));
    m_waiting.push_back({-1, false, index, m_poll->now(), {done}});
    dispatch();
}

qint64 PanelCore::patienceMs() const
{
    // Time for the command in flight to be confirmed (two polls and the reply) and the next
    // to go out, with room to spare.
    return 3 * qint64(m_poll->pollInterval()) + 1000;
}

void PanelCore::giveUpOld()
{
    const qint64 now = m_poll->now();
    std::vector<Done> tooLate;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (now - it->since >= patienceMs()) {
            tooLate.insert(tooLate.end(), it->done.begin(), it->done.end());
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
    for (const Done &done : tooLate)
        done(refused(Refusal::Busy));
}

void PanelCore::refuseWaiting(Refusal refusal)
{
    const std::deque<Waiting> waiting = std::exchange(m_waiting, {});
    m_dispatchTimer.stop();
    m_patienceTimer.stop();
    for (const Waiting &entry : waiting)
        for (const Done &done : entry.done)
            done(refused(refusal));
}

std::vector<PanelCore::Waiting> PanelCore::takeBatch()
{
    // A macro runs alone; relays waiting one after another go out together.
    std::vector<Waiting> batch;
    do {
        batch.push_back(std::move(m_waiting.front()));
        m_waiting.pop_front();
    } while (batch.front().macro < 0 && !m_waiting.empty() && m_waiting.front().macro < 0);
    return batch;
}

void PanelCore::dispatch()
{
    giveUpOld();
    if (m_waiting.empty()) {
        m_patienceTimer.stop();
        return;
    }
    if (m_closing || m_setupOpen)
        return refuseWaiting(m_closing ? Refusal::Closing : Refusal::SetupOpen);
    const qint64 now = m_poll->now();
    const qint64 oldest =
        std::min_element(m_waiting.begin(), m_waiting.end(),
                         [](const Waiting &a, const Waiting &b) { return a.since < b.since; })
            ->since;
    m_patienceTimer.start(int(std::max<qint64>(1, oldest + patienceMs() - now)));
    // A frame that confirms what is in flight, or the resume tick, calls again.
    if (!guardOpen() || inFlight())
        return;
    // The line is free once what was written has gone out: by its rate, and by the port's
    // own count where it keeps one.
    if (!m_port.pace().isFree(now) || m_port.bytesToWrite() > 0) {
        m_dispatchTimer.start(int(std::max<qint64>(1, m_port.pace().freeAt() - now)));
        return;
    }

    const std::vector<Waiting> batch = takeBatch();
    std::optional<MacroCommand::MacroResult> macro;
    const Outcome written = write([&] {
        if (batch.front().macro >= 0) {
            macro = macroFrames(batch.front().macro);
            return macro->frames;
        }
        QList<QByteArray> frames;
        for (const Waiting &entry : batch)
            if (!m_options.relayLocked(entry.relay) && entry.target != m_state.relayOn(entry.relay))
                frames.append(relayFrame(entry.relay));
        return frames;
    });
    Q_ASSERT(!written.refusal); // the guard was open
    if (macro)
        Q_EMIT macroRan(*macro);
    std::vector<std::pair<Done, Outcome>> answers;
    for (const Waiting &entry : batch) {
        Outcome outcome;
        outcome.confirmAfter = written.confirmAfter;
        if (macro) {
            outcome = written;
        } else if (m_options.relayLocked(entry.relay)) {
            outcome.refusal = Refusal::WdtLock;
        } else {
            if (written.expect.count(entry.relay + 1))
                outcome.frames = {relayFrame(entry.relay)};
            outcome.expect = {{entry.relay + 1, entry.target}};
        }
        for (const Done &done : entry.done)
            answers.emplace_back(done, outcome);
    }
    for (const auto &[done, outcome] : answers)
        done(outcome);
    if (m_waiting.empty())
        m_patienceTimer.stop();
}

void PanelCore::setOutput(int output, int value, bool fromStore)
{
    int &current = m_outputValues[std::size_t(output - 1)];
    if (current == value)
        return;
    current = value;
    AnalogOutputs::Output &changed = output == 1 ? m_output1 : m_output2;
    setTimerEnabled(m_poll->Timer1, false);
    changed.change(value);
    if (!fromStore)
        SettingsAccess(m_store).save(output == 1 ? Keys::Aout1 : Keys::Aout2, changed.pending());
    setTimerEnabled(m_poll->Timer1, true);
    Q_EMIT outputChanged(output, value);
}

std::optional<PanelCore::Refusal> PanelCore::outputRefusal() const
{
    if (m_closing)
        return Refusal::Closing;
    if (m_setupOpen)
        return Refusal::SetupOpen;
    return std::nullopt;
}

void PanelCore::showRelaysOff()
{
    m_state.relays.fill(ShownState::Relay::Off);
    Q_EMIT relaysShown();
}

void PanelCore::setSetupOpen(bool open)
{
    if (std::exchange(m_setupOpen, open) == open)
        return;
    if (open)
        refuseWaiting(Refusal::SetupOpen);
    Q_EMIT setupOpenChanged(open);
    if (!open)
        dispatch();
}

void PanelCore::setName(PanelNames::Kind kind, int index, const QString &name)
{
    QString &held = m_names.slot(kind, index);
    if (held == name)
        return;
    held = name;
    Q_EMIT nameChanged(kind, index);
}

void PanelCore::loadRelayNames()
{
    m_store.refresh();
    for (int relay = 0; relay < PanelNames::relayCount; ++relay)
        setName(PanelNames::Kind::Relay, relay, RelayNameKeys::read(m_store, relay));
}

void PanelCore::setClosing()
{
    m_closing = true;
    refuseWaiting(Refusal::Closing);
}
