#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <span>

class SettingsStore;

// The one table of the stored keys. Every key the program reads or writes is named here once;
// code refers to a key by its handle (Keys::ScaleMinGauge) and, for the indexed keys, a meter,
// macro or input number.
//
// The table is in the order RegInit seeds the keys; the keys without a default come last.
// Consecutive indexed rows of one kind form a block that is visited index by index: the
// thirteen seeded meter keys of meter 0, then those of meter 1, and so on.
enum class SettingsKey : std::uint8_t {
    // Seeded, in seeding order.
    MeterComPort,
    OnTop,
    StopAnnular2Gauge,
    ColorAnnular2Gauge,
    StartAnnular3Gauge,
    StopAnnular3Gauge,
    ColorAnnular3Gauge,
    StartAnnular4Gauge,
    StopAnnular4Gauge,
    ColorAnnular4Gauge,
    ScaleMinGauge,
    ScaleMaxGauge,
    TicSubCountGauge,
    CaptionGauge,
    Multiplier,
    MeterResponse,
    MacroName,
    DigStatusName,
    AnalogOut1,
    AnalogOut2,
    Aout1,
    Aout2,
    PositionLeft,
    PositionTop,
    Height,
    TempMode,
    InterlockA,
    InterlockB,
    // Never seeded.
    StartAnnular2Gauge,
    OnString,
    OffString,
};

// Handles read as Keys::Multiplier.
namespace Keys {
using enum SettingsKey;
}

// What a key's index counts.
enum class KeyRange : std::uint8_t {
    None,  // a single key
    Meter, // m = 0..5
    Macro, // n = 0..31
    Input, // k = 0..7
};

// How the value is written as text.
enum class StoredForm : std::uint8_t {
    WholeNumber,
    Flag, // "0" or "1"
    Decimal,
    Colour, // decimal text of 0x00BBGGRR
    Text,
    SingleTwips, // single-precision number of twips
};

// Where RegInit takes a key's default from.
enum class DefaultRule : std::uint8_t {
    Constant,     // KeySpec::defaultText
    NotSeeded,    // the key comes into being when it is first saved
    MacroCaption, // the caption of macro button n at that moment
    InputCaption, // the caption of input label k at that moment
    WindowLeft,   // the monitor window's geometry at that moment, in twips
    WindowTop,
    WindowHeight,
};

struct KeySpec
{
    SettingsKey key;
    QStringView base;
    KeyRange range;
    StoredForm form;
    DefaultRule rule;
    QStringView defaultText; // only for DefaultRule::Constant
};

// One stored key: a handle and, for an indexed key, its index (-1 for a single key).
struct KeyRef
{
    SettingsKey key;
    int index = -1;

    friend bool operator==(const KeyRef &, const KeyRef &) = default;
};

namespace SettingsKeys {

// The one application name and section of the store.
inline const QString application = QStringLiteral("Tarnwick");
inline const QString section = QStringLiteral("StartUp");

inline constexpr int meterCount = 6;
inline constexpr int macroCount = 32;
inline constexpr int inputCount = 8;

// The table rows, in table order.
std::span<const KeySpec> table();
const KeySpec &row(SettingsKey key);

// How many indices a range has (1 for KeyRange::None).
int indexCount(KeyRange range);

// Whether the index fits the key: -1 for a single key, 0..count-1 for an indexed one.
bool isValidIndex(SettingsKey key, int index);

// The stored name: the base for a single key, the base followed directly by the decimal
// index for an indexed key ("Multiplier0", "MacroName12"). Empty when the index does not
// fit the key.
QString keyName(SettingsKey key, int index = -1);
inline QString keyName(KeyRef ref)
{
    return keyName(ref.key, ref.index);
}

// Every stored key, in table order: the seeded keys in seeding order, then the others.
QList<KeyRef> allKeys();

} // namespace SettingsKeys

// The relays' names: a section of their own beside the window's keys, "Name1" to "Name64"
// in [Relays], empty by default. The window's load-all and save-all do not touch them.
namespace RelayNameKeys {

inline const QString section = QStringLiteral("Relays");
inline constexpr int count = 64;

// Relay 0..63 is "Name1".."Name64".
QString read(const SettingsStore &store, int relay);
void save(SettingsStore &store, int relay, const QString &name);

} // namespace RelayNameKeys

// How recordings go on: [Record] "Every" (seconds between rows besides changes, 0 for a row
// every frame) and "KeepDays" (0 keeps every day), both 0 by default. Read by the window and
// the service alike; text that is no whole number from 0 up reads as 0.
namespace RecordKeys {

inline const QString section = QStringLiteral("Record");
inline const QString every = QStringLiteral("Every");
inline const QString keepDays = QStringLiteral("KeepDays");

int read(const SettingsStore &store, const QString &key);
void save(SettingsStore &store, const QString &key, int value);

} // namespace RecordKeys

// Reads and saves keys of the program's section by handle and index.
class SettingsAccess
{
public:
    explicit SettingsAccess(SettingsStore &store);

    QString read(SettingsKey key, int index = -1) const;
    QString read(KeyRef ref) const { return read(ref.key, ref.index); }
    void save(SettingsKey key, const QString &value);
    void save(SettingsKey key, int index, const QString &value);
    void save(KeyRef ref, const QString &value) { save(ref.key, ref.index, value); }

    SettingsStore &store() const { return m_store; }

private:
    SettingsStore &m_store;
};
