#include "SettingsKeys.h"

#include "SettingsStore.h"

#include <QDebug>
#include <array>

namespace {

using R = KeyRange;
using F = StoredForm;
using D = DefaultRule;

// clang-format off
constexpr std::array<KeySpec, 31> keyTable{{
    // handle                  base name                range     stored form    default
    {Keys::MeterComPort,       u"Meter-ComPort",        R::None,  F::WholeNumber, D::Constant, u"1"},
    {Keys::OnTop,              u"OnTop",                R::None,  F::Flag,        D::Constant, u"0"},
    {Keys::StopAnnular2Gauge,  u"Stop-Annular2-Gauge",  R::Meter, F::Decimal,     D::Constant, u"2.5"},
    {Keys::ColorAnnular2Gauge, u"Color-Annular2-Gauge", R::Meter, F::Colour,      D::Constant, u"32768"},
    {Keys::StartAnnular3Gauge, u"Start-Annular3-Gauge", R::Meter, F::Decimal,     D::Constant, u"2.5"},
    {Keys::StopAnnular3Gauge,  u"Stop-Annular3-Gauge",  R::Meter, F::Decimal,     D::Constant, u"3"},
    {Keys::ColorAnnular3Gauge, u"Color-Annular3-Gauge", R::Meter, F::Colour,      D::Constant, u"65535"},
    {Keys::StartAnnular4Gauge, u"Start-Annular4-Gauge", R::Meter, F::Decimal,     D::Constant, u"3"},
    {Keys::StopAnnular4Gauge,  u"Stop-Annular4-Gauge",  R::Meter, F::Decimal,     D::Constant, u"4"},
    {Keys::ColorAnnular4Gauge, u"Color-Annular4-Gauge", R::Meter, F::Colour,      D::Constant, u"255"},
    {Keys::ScaleMinGauge,      u"ScaleMin-Gauge",       R::Meter, F::Decimal,     D::Constant, u"0"},
    {Keys::ScaleMaxGauge,      u"ScaleMax-Gauge",       R::Meter, F::Decimal,     D::Constant, u"4"},
    {Keys::TicSubCountGauge,   u"TicSubCount-Gauge",    R::Meter, F::WholeNumber, D::Constant, u"4"},
    {Keys::CaptionGauge,       u"Caption-Gauge",        R::Meter, F::Text,        D::Constant, u"Volts DC"},
    {Keys::Multiplier,         u"Multiplier",           R::Meter, F::Decimal,     D::Constant, u"1.0"},
    {Keys::MeterResponse,      u"Meter Response",       R::None,  F::WholeNumber, D::Constant, u"200"},
    {Keys::MacroName,          u"MacroName",            R::Macro, F::Text,        D::MacroCaption, {}},
    {Keys::DigStatusName,      u"DigStatusName",        R::Input, F::Text,        D::InputCaption, {}},
    {Keys::AnalogOut1,         u"AnalogOut1",           R::None,  F::Text,        D::Constant, u"An Out 1"},
    {Keys::AnalogOut2,         u"AnalogOut2",           R::None,  F::Text,        D::Constant, u"An Out 2"},
    {Keys::Aout1,              u"Aout1",                R::None,  F::WholeNumber, D::Constant, u"1"},
    {Keys::Aout2,              u"Aout2",                R::None,  F::WholeNumber, D::Constant, u"1"},
    {Keys::PositionLeft,       u"Position-Left",        R::None,  F::SingleTwips, D::WindowLeft, {}},
    {Keys::PositionTop,        u"Position-Top",         R::None,  F::SingleTwips, D::WindowTop, {}},
    {Keys::Height,             u"Height",               R::None,  F::SingleTwips, D::WindowHeight, {}},
    {Keys::TempMode,           u"TempMode",             R::None,  F::Flag,        D::Constant, u"0"},
    {Keys::InterlockA,         u"InterlockA",           R::None,  F::Flag,        D::Constant, u"0"},
    {Keys::InterlockB,         u"InterlockB",           R::None,  F::Flag,        D::Constant, u"0"},
    {Keys::StartAnnular2Gauge, u"Start-Annular2-Gauge", R::Meter, F::Decimal,     D::NotSeeded, {}},
    {Keys::OnString,           u"OnString",             R::Macro, F::Text,        D::NotSeeded, {}},
    {Keys::OffString,          u"OffString",            R::Macro, F::Text,        D::NotSeeded, {}},
}};
// clang-format on

// A handle is its row's position, so row() is a plain lookup.
constexpr bool rowsMatchHandles()
{
    for (std::size_t i = 0; i < keyTable.size(); ++i) {
        if (static_cast<std::size_t>(keyTable[i].key) != i)
            return false;
    }
    return true;
}
static_assert(rowsMatchHandles(), "key table rows must follow the SettingsKey order");

// The seeded keys come first: a seeded row after an unseeded one would be visited out of
// seeding order.
constexpr bool seededRowsFirst()
{
    bool unseededSeen = false;
    for (const KeySpec &row : keyTable) {
        const bool seeded = row.rule != DefaultRule::NotSeeded;
        if (seeded && unseededSeen)
            return false;
        unseededSeen = unseededSeen || !seeded;
    }
    return true;
}
static_assert(seededRowsFirst(), "seeded keys must precede the unseeded ones");

constexpr bool constantsHaveText()
{
    for (const KeySpec &row : keyTable) {
        if ((row.rule == DefaultRule::Constant) == row.defaultText.isEmpty())
            return false;
    }
    return true;
}
static_assert(constantsHaveText(), "a constant default needs its text, and only it has one");

constexpr int countKeys()
{
    int count = 0;
    for (const KeySpec &row : keyTable) {
        switch (row.range) {
        case KeyRange::None:
            count += 1;
            break;
        case KeyRange::Meter:
            count += SettingsKeys::meterCount;
            break;
        case KeyRange::Macro:
            count += SettingsKeys::macroCount;
            break;
        case KeyRange::Input:
            count += SettingsKeys::inputCount;
            break;
        }
    }
    return count;
}
static_assert(countKeys() == 201);

bool sameBlock(const KeySpec &a, const KeySpec &b)
{
    return a.range == b.range &&
           (a.rule == DefaultRule::NotSeeded) == (b.rule == DefaultRule::NotSeeded);
}

} // namespace

namespace SettingsKeys {

std::span<const KeySpec> table()
{
    return keyTable;
}

const KeySpec &row(SettingsKey key)
{
    return keyTable[static_cast<std::size_t>(key)];
}

int indexCount(KeyRange range)
{
    switch (range) {
    case KeyRange::None:
        return 1;
    case KeyRange::Meter:
        return meterCount;
    case KeyRange::Macro:
        return macroCount;
    case KeyRange::Input:
        return inputCount;
    }
    return 0;
}

bool isValidIndex(SettingsKey key, int index)
{
    const KeyRange range = row(key).range;
    if (range == KeyRange::None)
        return index == -1;
    return index >= 0 && index < indexCount(range);
}

QString keyName(SettingsKey key, int index)
{
    if (!isValidIndex(key, index))
        return {};
    const KeySpec &entry = row(key);
    if (entry.range == KeyRange::None)
        return entry.base.toString();
    return entry.base.toString() + QString::number(index);
}

QList<KeyRef> allKeys()
{
    QList<KeyRef> keys;
    keys.reserve(countKeys());
    const auto rows = table();
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t end = first + 1;
        while (end < rows.size() && sameBlock(rows[first], rows[end]))
            ++end;
        const bool indexed = rows[first].range != KeyRange::None;
        const int count = indexCount(rows[first].range);
        for (int index = 0; index < count; ++index) {
            for (std::size_t row = first; row < end; ++row)
                keys.append({rows[row].key, indexed ? index : -1});
        }
        first = end;
    }
    return keys;
}

} // namespace SettingsKeys

SettingsAccess::SettingsAccess(SettingsStore &store)
    : m_store(store)
{}

QString SettingsAccess::read(SettingsKey key, int index) const
{
    const QString name = SettingsKeys::keyName(key, index);
    if (name.isEmpty()) {
        qWarning() << "settings: no key" << SettingsKeys::row(key).base << "with index" << index;
        return {};
    }
    return m_store.read(SettingsKeys::application, SettingsKeys::section, name);
}

void SettingsAccess::save(SettingsKey key, const QString &value)
{
    save(key, -1, value);
}

void SettingsAccess::save(SettingsKey key, int index, const QString &value)
{
    const QString name = SettingsKeys::keyName(key, index);
    if (name.isEmpty()) {
        qWarning() << "settings: no key" << SettingsKeys::row(key).base << "with index" << index
                   << "to save";
        return;
    }
    m_store.save(SettingsKeys::application, SettingsKeys::section, name, value);
}

namespace RelayNameKeys {

namespace {

QString key(int relay)
{
    return QStringLiteral("Name%1").arg(relay + 1);
}

} // namespace

QString read(const SettingsStore &store, int relay)
{
    return store.read(SettingsKeys::application, section, key(relay));
}

void save(SettingsStore &store, int relay, const QString &name)
{
    store.save(SettingsKeys::application, section, key(relay), name);
}

} // namespace RelayNameKeys

namespace RecordKeys {

int read(const SettingsStore &store, const QString &key)
{
    bool ok = false;
    const int value = store.read(SettingsKeys::application, section, key).trimmed().toInt(&ok);
    return ok && value > 0 ? value : 0;
}

void save(SettingsStore &store, const QString &key, int value)
{
    store.save(SettingsKeys::application, section, key, QString::number(value));
}

} // namespace RecordKeys
