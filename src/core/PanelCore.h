#pragma once

#include "AnalogOutputs.h"
#include "CommandRefusal.h"
#include "MacroCommand.h"
#include "MeteredPort.h"
#include "PanelNames.h"
#include "ShownState.h"
#include "StatusDecoders.h"
#include "StatusPoll.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <vector>

class PanelOptions;
class SettingsStore;

// What a frame changed, for the front end that paints it. The state itself is the core's.
// It refers to the frame being shown: for direct connections only.
struct FrameUpdate
{
    const QByteArray &frame;
    bool temperatureRead; // the readout was worked out again
    // The decoders' result; absent when the temperature did not read, which ends the tick
    // before them.
    const std::optional<StatusDecoders::TickDisplay> &tick;

    // The needles move only when the inputs, relays and meters all went through.
    bool metersShown() const { return tick && tick->relays && tick->meters; }
};

// The panel without its window: the serial link and its poll, what the board last showed,
// the link's state, and the commands with their guard. The window renders it and calls it;
// the control socket, MQTT and the recording use it the same way.
//
// A click from the window is a toggle, run at once through the guard as the button always
// ran. Commands from scripts say what they want (on, off, toggle) and are kept until the
// line can take them: one run of them at a time, each confirmed by a status frame requested
// after it before the next is written, never faster than the line carries, and a burst for
// one relay collapses to its last wish. Until a frame confirms a command, the relays it
// switched are expected in the state it asked for.
class PanelCore : public QObject, private StatusFrameHandler
{
    Q_OBJECT

public:
    using Refusal = CommandRefusal;

    // What a command did.
    struct Outcome
    {
        std::optional<Refusal> refusal;
        QList<QByteArray> frames;   // the relay-bank frames it wrote, in order
        std::map<int, bool> expect; // relay (1..64) -> on: the states that confirm it
        quint64 confirmAfter = 0;   // frames that answer a later status request confirm it
    };
    using Done = std::function<void(const Outcome &)>;

    enum class Wish { On, Off, Toggle };

    PanelCore(SerialPort &port, SettingsStore &store, PanelOptions &options,
              QObject *parent = nullptr);
    ~PanelCore() override;

    StatusPoll &poll() { return *m_poll; }
    const StatusPoll &poll() const { return *m_poll; }
    // The port as the core writes to it.
    SerialPort &port() { return m_port; }
    const SerialPort &port() const { return m_port; }
    const PanelOptions &options() const { return m_options; }
    const ShownState &state() const { return m_state; }
    const PanelNames &names() const { return m_names; }
    // A name the panel shows; a change is told by nameChanged().
    void setName(PanelNames::Kind kind, int index, const QString &name);
    // The relays' names as the store now holds them.
    void loadRelayNames();
    const LinkState &link() const { return m_poll->link(); }

    // The window's clicks: a relay (0..63) is inverted, a macro (0..31) brings its lists'
    // relays to their states as the buttons show them. Refused when the guard is shut.
    Outcome clickRelay(int relay);
    Outcome clickMacro(int index);

    // Commands from scripts, answered through `done` exactly once: at once when refused or
    // when there is nothing to write, otherwise when the command is written or gives up.
    void requestRelay(int relay, Wish wish, const Done &done);
    void requestMacro(int index, const Done &done);
    int waitingCount() const { return int(m_waiting.size()); }

    // A pulse from a script: the relay goes on, and off again `milliseconds` after the on was
    // written, each step as a command of its own. A pulse on a relay already pulsed starts
    // its time again. `done` is told of the on.
    void requestPulse(int relay, int milliseconds, const Done &done);
    struct Pulse
    {
        int relay = 0;     // 0..63
        qint64 msLeft = 0; // until the off is asked for
    };
    std::vector<Pulse> pulses() const;
    // The panel ends: every relay still pulsed is switched off at once, written straight to
    // the port before it closes. There is no later poll to wait for.
    void endPulses();
    static constexpr int shortestPulseMs = 100;
    static constexpr int longestPulseMs = 3600 * 1000;
    // Whether a command written is still waiting for the frame that confirms it.
    bool commandsInFlight() const { return inFlight(); }
    // The state a relay (0..63) is in once the commands written and waiting are done.
    bool expectedOn(int relay) const;

    // An analog output (1 or 2) moved to 0..255: stored unless the value came from the
    // store, and sent with the next complete poll. The poll restarts with a full interval,
    // as around every slider move. The same value again changes nothing.
    void setOutput(int output, int value, bool fromStore = false);
    int outputValue(int output) const { return m_outputValues[std::size_t(output - 1)]; }
    // Why an output set from a script would be refused now.
    std::optional<Refusal> outputRefusal() const;

    // Every relay shown off, as the window does once the port opened at start.
    void showRelaysOff();

    // The setup dialog is open: the poll is stopped and commands from scripts are refused.
    void setSetupOpen(bool open);
    bool setupOpen() const { return m_setupOpen; }
    void setClosing();
    bool isClosing() const { return m_closing; }

    // The names, captions or scales the options give have changed outside the setup dialog
    // (a service read its settings again).
    void noteOptionsChanged() { Q_EMIT optionsChanged(); }

    // How long a command from a script may wait for the line before it is refused.
    qint64 patienceMs() const;

Q_SIGNALS:
    // A complete frame was decoded into the state; the front end paints what it changed.
    void frameApplied(const FrameUpdate &update);
    // ...and everything the frame leads to is done: outputs sent, commands confirmed.
    void frameShown(const QByteArray &frame);
    // The link's state, its time or the port's problem changed.
    void linkChanged();
    // The relays' shown states changed other than by a frame.
    void relaysShown();
    void outputChanged(int output, int value);
    // A macro ran: what the debug strip shows of its lists.
    void macroRan(const MacroCommand::MacroResult &result);
    void setupOpenChanged(bool open);
    void optionsChanged();
    void nameChanged(PanelNames::Kind kind, int index);

private:
    struct InFlight
    {
        bool target = false;
        quint64 mark = 0; // requests written when the command was
    };
    struct Waiting
    {
        int relay = -1; // 0..63, or -1 for a macro
        bool target = false;
        int macro = -1;
        qint64 since = 0;
        std::vector<Done> done;
    };

    // StatusFrameHandler
    void showStatusFrame(const QByteArray &frame) override;

    std::optional<Refusal> scriptRefusal(int relay) const;
    bool guardOpen() const;
    // The relay-bank frames of a macro, decided from the relays as the buttons show them.
    MacroCommand::MacroResult macroFrames(int index) const;
    // Writes the body's frames through the guard and takes note of what is then in flight.
    Outcome write(const std::function<QList<QByteArray>()> &body);
    std::map<int, bool> expectAfter(const QList<QByteArray> &frames) const;
    void confirm(quint64 answered);
    void dispatch();
    std::vector<Waiting> takeBatch();
    void refuseWaiting(Refusal refusal);
    void giveUpOld();
    bool inFlight() const;
    void pulsesDue();
    void schedulePulses();
    // The state a relay (0..63) is in once the commands written are done.
    bool writtenOn(int relay) const;

    MeteredPort m_port;
    SettingsStore &m_store;
    PanelOptions &m_options;
    StatusPoll *m_poll;
    ShownState m_state;
    PanelNames m_names;
    AnalogOutputs::Output m_output1{1};
    AnalogOutputs::Output m_output2{2};
    std::array<int, 2> m_outputValues = AnalogOutputs::designValues;
    std::array<std::optional<InFlight>, ShownState::relayCount> m_inFlight;
    std::deque<Waiting> m_waiting;
    QTimer m_dispatchTimer;
    QTimer m_patienceTimer;
    // relay (0..63) -> when its off is asked for, or pulseEnding once it has been
    std::map<int, qint64> m_pulseEnds;
    static constexpr qint64 pulseEnding = std::numeric_limits<qint64>::max();
    QTimer m_pulseTimer;
    bool m_setupOpen = false;
    bool m_closing = false;
};
