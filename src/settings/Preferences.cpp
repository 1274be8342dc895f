#include "Preferences.h"

#include "AGauge.h"
#include "NumberText.h"
#include "PreferenceHolders.h"
#include "SerialPort.h"
#include "SettingsStore.h"

#include <algorithm>
#include <cmath>

namespace {

using NumberText::fromDouble;
using NumberText::fromInteger;
using NumberText::fromSingle;

// A check box takes 0 or 1; anything else leaves it as it is.
std::optional<int> checkState(const QString &text)
{
    const std::optional<qint16> state = NumberText::toInt16(text);
    if (state && (*state == 0 || *state == 1))
        return *state;
    return std::nullopt;
}

KeyRef key(SettingsKey key, int index = -1)
{
    return {key, index};
}

} // namespace

Preferences::Preferences(SettingsStore &store, PreferenceHolders &holders)
    : m_store(store)
    , m_holders(holders)
{}

QString Preferences::read(KeyRef ref) const
{
    return SettingsAccess(m_store).read(ref);
}

void Preferences::took(KeyRef ref, const QString &stored, const QString &held)
{
    const QString name = SettingsKeys::keyName(ref);
    if (stored == held)
        m_taken.remove(name);
    else
        m_taken.insert(name, {stored, held});
}

void Preferences::tookNumber(KeyRef ref, const QString &stored, const QString &held)
{
    took(ref, NumberText::toDouble(stored) ? held : stored, held);
}

void Preferences::save(KeyRef ref, const QString &held)
{
    const QString name = SettingsKeys::keyName(ref);
    QString text = held;
    if (const auto taken = m_taken.constFind(name); taken != m_taken.cend()) {
        if (taken->held == held)
            text = taken->stored;
        else
            m_taken.erase(taken);
    }
    SettingsAccess(m_store).save(ref, text);
}

void Preferences::GetPreferences()
{
    const SettingsStore::Batch batch(m_store);
    PreferenceHolders &h = m_holders;

    loadGeometry();

    const QString tempMode = read(key(Keys::TempMode));
    if (const auto state = checkState(tempMode))
        h.setTempMode(*state);
    tookNumber(key(Keys::TempMode), tempMode, fromInteger(h.tempMode()));

    for (int k = 0; k < SettingsKeys::inputCount; ++k) {
        const QString name = read(key(Keys::DigStatusName, k));
        h.setInputName(k, name);
        took(key(Keys::DigStatusName, k), name, h.inputName(k));
    }
    for (int n = 0; n < SettingsKeys::macroCount; ++n) {
        const QString name = read(key(Keys::MacroName, n));
        h.setMacroName(n, name);
        took(key(Keys::MacroName, n), name, h.macroName(n));
    }

    loadMacroStrings();

    for (int output = 1; output <= 2; ++output) {
        const SettingsKey nameKey = output == 1 ? Keys::AnalogOut1 : Keys::AnalogOut2;
        const QString name = read(key(nameKey));
        h.setAnalogOutName(output, name);
        took(key(nameKey), name, h.analogOutName(output));
    }
    for (int output = 1; output <= 2; ++output) {
        const SettingsKey valueKey = output == 1 ? Keys::Aout1 : Keys::Aout2;
        const QString value = read(key(valueKey));
        if (const auto position = NumberText::toSliderPosition(value))
            h.setAnalogOutValue(output, *position);
        tookNumber(key(valueKey), value, fromInteger(h.analogOutValue(output)));
    }

    const QString onTop = read(key(Keys::OnTop));
    if (const auto state = checkState(onTop))
        h.setOnTop(*state);
    tookNumber(key(Keys::OnTop), onTop, fromInteger(h.onTop()));

    // The port is left closed; opening it is the caller's business.
    SerialPort &port = h.serialPort();
    if (port.isOpen())
        port.close();
    const QString portText = read(key(Keys::MeterComPort));
    port.setPortNumber(NumberText::toPortNumber(portText).value_or(0));
    tookNumber(key(Keys::MeterComPort), portText, fromInteger(port.portNumber()));

    h.setMtrResponse(read(key(Keys::MeterResponse)));

    for (int m = 0; m < SettingsKeys::meterCount; ++m)
        loadMeter(m);

    GetMultiplier();
}

void Preferences::loadGeometry()
{
    PreferenceHolders &h = m_holders;
    // The height is applied before and after the move, as the window has always done it.
    auto apply = [&](SettingsKey which, void (PreferenceHolders::*set)(float),
                     float (PreferenceHolders::*get)() const) {
        const QString stored = read(key(which));
        if (const std::optional<float> twips = NumberText::toSingle(stored))
            (h.*set)(*twips);
        tookNumber(key(which), stored, fromSingle((h.*get)()));
    };
    apply(Keys::Height, &PreferenceHolders::setWindowHeight, &PreferenceHolders::windowHeight);
    apply(Keys::PositionLeft, &PreferenceHolders::setWindowLeft, &PreferenceHolders::windowLeft);
    apply(Keys::PositionTop, &PreferenceHolders::setWindowTop, &PreferenceHolders::windowTop);
    apply(Keys::Height, &PreferenceHolders::setWindowHeight, &PreferenceHolders::windowHeight);
}

void Preferences::loadMeter(int m)
{
    AGauge &gauge = m_holders.gauge(m);
    auto number = [&](SettingsKey which, bool (AGauge::*set)(const QString &),
                      double (AGauge::*get)() const) {
        const QString stored = read(key(which, m));
        (gauge.*set)(stored);
        tookNumber(key(which, m), stored, fromDouble((gauge.*get)()));
    };

    const QString scaleMin = read(key(Keys::ScaleMinGauge, m));
    number(Keys::ScaleMinGauge, &AGauge::setScaleMin, &AGauge::scaleMin);
    number(Keys::ScaleMaxGauge, &AGauge::setScaleMax, &AGauge::scaleMax);

    const QString ticks = read(key(Keys::TicSubCountGauge, m));
    for (int set = 0; set < AGauge::tickSetCount; ++set) {
        gauge.setCurrentTickSet(set);
        gauge.setMinorTickCount(ticks);
    }
    tookNumber(key(Keys::TicSubCountGauge, m), ticks, fromInteger(gauge.minorTickCount()));

    const QString caption = read(key(Keys::CaptionGauge, m));
    gauge.setCaption(caption);
    took(key(Keys::CaptionGauge, m), caption, gauge.caption());

    struct Band
    {
        int annular;
        SettingsKey start, stop, color;
    };
    // Annular 2 always starts at the scale minimum; its stored start is not read.
    static constexpr Band bands[] = {
        {2, Keys::ScaleMinGauge, Keys::StopAnnular2Gauge, Keys::ColorAnnular2Gauge},
        {3, Keys::StartAnnular3Gauge, Keys::StopAnnular3Gauge, Keys::ColorAnnular3Gauge},
        {4, Keys::StartAnnular4Gauge, Keys::StopAnnular4Gauge, Keys::ColorAnnular4Gauge},
    };
    for (const Band &band : bands) {
        gauge.setCurrentAnnular(band.annular);
        if (band.annular == 2)
            gauge.setAnnularStart(scaleMin);
        else
            number(band.start, &AGauge::setAnnularStart, &AGauge::annularStart);
        number(band.stop, &AGauge::setAnnularEnd, &AGauge::annularEnd);
        const QString color = read(key(band.color, m));
        gauge.setAnnularColor(color);
        tookNumber(key(band.color, m), color, fromInteger(gauge.annularColor()));
    }
}

void Preferences::loadMacroStrings()
{
    MacroStringHolders *fields = m_holders.macroStrings();
    if (!fields)
        return;
    for (int n = 0; n < SettingsKeys::macroCount; ++n)
        fields->setOnString(n, read(key(Keys::OnString, n)));
    for (int n = 0; n < SettingsKeys::macroCount; ++n)
        fields->setOffString(n, read(key(Keys::OffString, n)));
}

void Preferences::GetMultiplier()
{
    for (int m = 0; m < SettingsKeys::meterCount; ++m)
        m_multipliers[std::size_t(m)] = read(key(Keys::Multiplier, m));
}

void Preferences::SaveSettings()
{
    const SettingsStore::Batch batch(m_store);
    PreferenceHolders &h = m_holders;

    save(key(Keys::MeterComPort), fromInteger(h.serialPort().portNumber()));
    save(key(Keys::Aout1), fromInteger(h.analogOutValue(1)));
    save(key(Keys::Aout2), fromInteger(h.analogOutValue(2)));
    save(key(Keys::OnTop), fromInteger(h.onTop()));
    for (int m = 0; m < SettingsKeys::meterCount; ++m)
        saveMeter(m);
    save(key(Keys::MeterResponse), h.mtrResponse());
    for (int n = 0; n < SettingsKeys::macroCount; ++n)
        save(key(Keys::MacroName, n), h.macroName(n));
    for (int k = 0; k < SettingsKeys::inputCount; ++k)
        save(key(Keys::DigStatusName, k), h.inputName(k));
    save(key(Keys::AnalogOut1), h.analogOutName(1));
    save(key(Keys::AnalogOut2), h.analogOutName(2));
    save(key(Keys::Height), fromSingle(h.windowHeight()));
    save(key(Keys::PositionLeft), fromSingle(h.windowLeft()));
    save(key(Keys::PositionTop), fromSingle(h.windowTop()));
    save(key(Keys::Height), fromSingle(h.windowHeight()));
    save(key(Keys::TempMode), fromInteger(h.tempMode()));
    saveMacroStrings();
}

void Preferences::saveMeter(int m)
{
    AGauge &gauge = m_holders.gauge(m);
    static constexpr std::array<std::array<SettingsKey, 3>, 3> bands = {{
        {Keys::StartAnnular2Gauge, Keys::StopAnnular2Gauge, Keys::ColorAnnular2Gauge},
        {Keys::StartAnnular3Gauge, Keys::StopAnnular3Gauge, Keys::ColorAnnular3Gauge},
        {Keys::StartAnnular4Gauge, Keys::StopAnnular4Gauge, Keys::ColorAnnular4Gauge},
    }};
    for (int band = 0; band < 3; ++band) {
        gauge.setCurrentAnnular(band + 2);
        save(key(bands[band][0], m), fromDouble(gauge.annularStart()));
        save(key(bands[band][1], m), fromDouble(gauge.annularEnd()));
        save(key(bands[band][2], m), fromInteger(gauge.annularColor()));
    }
    save(key(Keys::ScaleMinGauge, m), fromDouble(gauge.scaleMin()));
    save(key(Keys::ScaleMaxGauge, m), fromDouble(gauge.scaleMax()));
    save(key(Keys::TicSubCountGauge, m), fromInteger(gauge.minorTickCount()));
    save(key(Keys::CaptionGauge, m), gauge.caption());
}

void Preferences::saveMacroStrings()
{
    MacroStringHolders *fields = m_holders.macroStrings();
    if (!fields)
        return;
    for (int n = 0; n < SettingsKeys::macroCount; ++n)
        save(key(Keys::OnString, n), fields->onString(n));
    for (int n = 0; n < SettingsKeys::macroCount; ++n)
        save(key(Keys::OffString, n), fields->offString(n));
}
