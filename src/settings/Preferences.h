#pragma once

#include "SettingsKeys.h"

#include <QHash>
#include <array>
#include <optional>

class PreferenceHolders;
class SettingsStore;

// Moves every setting between the store and the elements that hold it: the load-all
// `GetPreferences`, the save-all `SaveSettings` and `GetMultiplier`. It also keeps the six
// meter multiplier texts, which belong to no window and live as long as the program.
//
// A stored text the load could not read (text in a number's key, like "tall" or "12abc", or
// a text its holder shows otherwise) is remembered with what the holder showed after the
// load. While the holder still shows that, the save-all writes the stored text back
// unchanged: what the program did not understand it does not rewrite, unless the user
// changes that setting. A stored number, however written ("4.0", "1e3", "01", "300" for a
// slider of 0..255), is written back by the number-to-text rule from what its holder
// holds ("4", "1000", "1", "255").
class Preferences
{
public:
    Preferences(SettingsStore &store, PreferenceHolders &holders);

    void GetPreferences();
    void SaveSettings();
    void GetMultiplier();

    // The multiplier text of meter m (0..5), empty until loaded.
    const QString &mtr_multiplier(int m) const { return m_multipliers.at(std::size_t(m)); }

private:
    void loadGeometry();
    void loadMeter(int m);
    void saveMeter(int m);
    void loadMacroStrings();
    void saveMacroStrings();

    QString read(KeyRef key) const;
    // Records how the holder took a stored text.
    void took(KeyRef key, const QString &stored, const QString &held);
    // The same for a key that holds a number: only a text that reads as no number is kept.
    void tookNumber(KeyRef key, const QString &stored, const QString &held);
    // Saves the holder's text, or the stored text it was loaded from while it is unchanged.
    void save(KeyRef key, const QString &held);

    struct Taken
    {
        QString stored;
        QString held;
    };

    SettingsStore &m_store;
    PreferenceHolders &m_holders;
    std::array<QString, SettingsKeys::meterCount> m_multipliers;
    QHash<QString, Taken> m_taken; // by key name
};
