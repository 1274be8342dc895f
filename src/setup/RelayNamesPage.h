#pragma once

#include <QWidget>
#include <array>

class PanelCore;
class QLineEdit;
class SettingsStore;

// The "Relay Names" tab: a name for each of the 64 relays, in rows of a bank each. A name
// is the relay button's tooltip and lets scripts and Home Assistant call the relay by it;
// the buttons keep their captions "R1" to "R64". Every keystroke reaches the panel and the
// store ([Relays] Name1 to Name64).
class RelayNamesPage : public QWidget
{
    Q_OBJECT

public:
    RelayNamesPage(PanelCore &core, SettingsStore &store, QWidget *parent = nullptr);

    // The boxes from the stored names.
    void loadNames();

    std::array<QLineEdit *, 64> RelayName{};

private:
    void nameChanged(int relay);

    PanelCore &m_core;
    SettingsStore &m_store;
    bool m_loading = false;
};
