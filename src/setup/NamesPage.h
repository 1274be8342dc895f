#pragma once

#include <QWidget>
#include <array>

class QLineEdit;
class SettingsStore;
class PreferenceHolders;

// The "General Labels" tab: the names of the eight inputs and of the two analog outputs.
// Every keystroke relabels the monitor window and reaches the store.
class NamesPage : public QWidget
{
    Q_OBJECT

public:
    NamesPage(PreferenceHolders &holders, SettingsStore &store, QWidget *parent = nullptr);

    // The boxes from the stored names.
    void loadInputNames();
    void loadOutputNames();

    void DigStatusName_Change(int k);
    void TxtSlider_Change(int index);

    std::array<QLineEdit *, 8> DigStatusName{};
    std::array<QLineEdit *, 2> TxtSlider{};

private:
    void build();

    PreferenceHolders &m_holders;
    SettingsStore &m_store;
};
