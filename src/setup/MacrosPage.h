#pragma once

#include <QWidget>
#include <array>

class QLineEdit;
class SettingsStore;
class frmMonitor;

// One macro tab: sixteen rows of name, on string and off string, macros first+1 to
// first+16. Each keystroke reaches the store; a name also relabels its macro button. The
// string boxes are the holders of "OnString" and "OffString" for the load-all and save-all.
class MacrosPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowCount = 16;

    MacrosPage(frmMonitor &monitor, SettingsStore &store, int first, QWidget *parent = nullptr);

    int first() const { return m_first; }
    bool holds(int n) const { return n >= m_first && n < m_first + rowCount; }

    // Macro n's boxes; n must be one of this page's.
    QLineEdit *MacroName(int n) const { return m_names.at(row(n)); }
    QLineEdit *OnString(int n) const { return m_onStrings.at(row(n)); }
    QLineEdit *OffString(int n) const { return m_offStrings.at(row(n)); }

    // The name boxes from the stored names.
    void loadNames();

    void MacroName_Change(int n);
    void OnString_Change(int n);
    void OffString_Change(int n);

private:
    void build();
    std::size_t row(int n) const;

    frmMonitor &m_monitor;
    SettingsStore &m_store;
    int m_first;
    std::array<QLineEdit *, rowCount> m_names{};
    std::array<QLineEdit *, rowCount> m_onStrings{};
    std::array<QLineEdit *, rowCount> m_offStrings{};
};
