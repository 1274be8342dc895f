#pragma once

#include "PanelNames.h"
#include "PanelOptions.h"
#include "ShownState.h"

#include <QString>
#include <array>
#include <optional>

class SettingsStore;

// What the service takes from the store: the panel's options as the window would show them
// after loading the same file, the port and poll interval, the outputs' start levels, and
// the section [Service] for what the window keeps only in its elements (the WDT box) or
// asks for (the recording folder).
//
// Read at start and again at reload(), not at every frame: a frame asks for the options
// many times, and the file changes seldom. An absent or empty key reads as the default the
// window would seed it with; a value that does not read leaves what the window's element
// shows before loading.
class ServiceOptions final : public PanelOptions
{
public:
    explicit ServiceOptions(SettingsStore &store);

    // Takes in the store as it stands now.
    void reload();

    double meterScaleMax(int m) const override { return m_scaleMax[std::size_t(m)]; }
    QString meterMultiplier(int m) const override { return m_multiplier[std::size_t(m)]; }
    QString meterCaption(int m) const override { return m_caption[std::size_t(m)]; }
    bool temperatureInCelsius() const override { return m_celsius; }
    bool relayLocked(int relay) const override;

    // The names beside the inputs, outputs and macros, as the window would load them.
    const PanelNames &names() const { return m_names; }

    // The stored port, and its text for telling the user about one that does not read.
    std::optional<int> portNumber() const { return m_portNumber; }
    QString portText() const { return m_portText; }
    int pollInterval() const { return m_pollInterval; }
    // Output 1 or 2 as stored, nothing when the text is no number.
    std::optional<int> storedOutput(int output) const { return m_output[std::size_t(output - 1)]; }

    bool watchdogLocked() const { return m_watchdogLocked; }
    QString recordFolder() const { return m_recordFolder; }
    // [Record], shared with the window: the pace in seconds and the days kept, 0 for none.
    int recordEvery() const { return m_recordEvery; }
    int recordKeepDays() const { return m_recordKeepDays; }

    static inline const QString serviceSection = QStringLiteral("Service");

private:
    SettingsStore &m_store;
    std::array<double, ShownState::meterCount> m_scaleMax{};
    std::array<QString, ShownState::meterCount> m_multiplier;
    std::array<QString, ShownState::meterCount> m_caption;
    PanelNames m_names;
    bool m_celsius = false;
    std::optional<int> m_portNumber;
    QString m_portText;
    int m_pollInterval = 0;
    std::array<std::optional<int>, 2> m_output;
    bool m_watchdogLocked = false;
    QString m_recordFolder;
    int m_recordEvery = 0;
    int m_recordKeepDays = 0;
};
