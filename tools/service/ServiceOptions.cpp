#include "ServiceOptions.h"

#include "NumberText.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "StatusPoll.h"

namespace {

// What a gauge's scale maximum is before any setting reaches it.
constexpr double designScaleMax = 5.0;

// The text of a key as the window holds it once loaded: the stored text, or for an absent
// key what the window seeds it with.
QString seeded(const SettingsAccess &settings, SettingsKey key, int index = -1)
{
    const QString stored = settings.read(key, index);
    if (!stored.isEmpty())
        return stored;
    const KeySpec &row = SettingsKeys::row(key);
    switch (row.rule) {
    case DefaultRule::Constant:
        return row.defaultText.toString();
    case DefaultRule::InputCaption:
        return PanelNames::designName(PanelNames::Kind::Input, index);
    case DefaultRule::MacroCaption:
        return PanelNames::designName(PanelNames::Kind::Macro, index);
    default:
        return {};
    }
}

} // namespace

ServiceOptions::ServiceOptions(SettingsStore &store)
    : m_store(store)
{
    reload();
}

void ServiceOptions::reload()
{
    m_store.refresh();
    const SettingsAccess settings(m_store);
    for (int m = 0; m < ShownState::meterCount; ++m) {
        const auto i = std::size_t(m);
        m_scaleMax[i] =
            NumberText::toDouble(seeded(settings, Keys::ScaleMaxGauge, m)).value_or(designScaleMax);
        m_multiplier[i] = seeded(settings, Keys::Multiplier, m);
        m_caption[i] = seeded(settings, Keys::CaptionGauge, m);
    }
    for (int k = 0; k < PanelNames::inputCount; ++k)
        m_names.inputs[std::size_t(k)] = seeded(settings, Keys::DigStatusName, k);
    m_names.outputs = {seeded(settings, Keys::AnalogOut1), seeded(settings, Keys::AnalogOut2)};
    for (int n = 0; n < PanelNames::macroCount; ++n)
        m_names.macros[std::size_t(n)] = seeded(settings, Keys::MacroName, n);
    // The box takes 0 or 1; anything else leaves it unchecked, as it starts.
    m_celsius = NumberText::toInt16(seeded(settings, Keys::TempMode)) == 1;

    m_portText = seeded(settings, Keys::MeterComPort);
    m_portNumber = NumberText::toPortNumber(m_portText);
    m_pollInterval =
        effectivePollInterval(NumberText::toDouble(seeded(settings, Keys::MeterResponse)));
    m_output = {NumberText::toSliderPosition(seeded(settings, Keys::Aout1)),
                NumberText::toSliderPosition(seeded(settings, Keys::Aout2))};

    const auto service = [this](const QString &key) {
        return m_store.read(SettingsKeys::application, serviceSection, key);
    };
    m_watchdogLocked = NumberText::toInt16(service(QStringLiteral("WDT"))) == 1;
    m_recordFolder = service(QStringLiteral("RecordFolder")).trimmed();
    m_recordEvery = RecordKeys::read(m_store, RecordKeys::every);
    m_recordKeepDays = RecordKeys::read(m_store, RecordKeys::keepDays);
}

bool ServiceOptions::relayLocked(int relay) const
{
    return relay == PanelOptions::watchdogRelay && m_watchdogLocked;
}
