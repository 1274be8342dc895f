#pragma once

#include <QWidget>
#include <array>

class QLineEdit;
class SettingsStore;
class PreferenceHolders;

// One macro tab: sixteen rows of name, on string and off string, macros first+1 to
// first+16. Each keystroke reaches the store; a name also relabels its macro button. The
// page holds "OnString" and "OffString" for the load-all and save-all.
//
// Its 48 boxes are made when the page is first shown or a box is first asked for: the page
// is made hidden at every start, and the boxes are most of what the setup dialog costs.
// Until then the page keeps their texts itself, and setting a text from code runs the same
// change reaction a box would, only when the text changes.
class MacrosPage : public QWidget
{
    Q_OBJECT

public:
    static constexpr int rowCount = 16;

    MacrosPage(PreferenceHolders &holders, SettingsStore &store, int first,
               QWidget *parent = nullptr);

    int first() const { return m_first; }
    bool holds(int n) const { return n >= m_first && n < m_first + rowCount; }

    // Macro n's texts, and setting them as the user's typing would; n must be one of this
    // page's.
    QString macroName(int n) const { return text(Name, n); }
    QString onString(int n) const { return text(On, n); }
    QString offString(int n) const { return text(Off, n); }
    void setOnString(int n, const QString &text) { setText(On, n, text); }
    void setOffString(int n, const QString &text) { setText(Off, n, text); }

    // Macro n's boxes, made with the rest of the page's at the first call.
    QLineEdit *MacroName(int n) { return box(Name, n); }
    QLineEdit *OnString(int n) { return box(On, n); }
    QLineEdit *OffString(int n) { return box(Off, n); }

    // The names from the stored names.
    void loadNames();

    void MacroName_Change(int n);
    void OnString_Change(int n);
    void OffString_Change(int n);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // A macro's three fields, in the order of its row. Each keeps its text until the boxes
    // are made, then its box.
    enum Field { Name, On, Off, fieldCount };

    void build();
    std::size_t row(int n) const;
    QLineEdit *box(Field field, int n);
    QString text(Field field, int n) const;
    void setText(Field field, int n, const QString &text);
    void changed(Field field, int n);

    PreferenceHolders &m_holders;
    SettingsStore &m_store;
    int m_first;
    bool m_built = false;
    std::array<std::array<QString, fieldCount>, rowCount> m_texts;
    std::array<std::array<QLineEdit *, fieldCount>, rowCount> m_boxes{};
};
