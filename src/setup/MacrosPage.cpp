#include "MacrosPage.h"

#include "ColorButton.h"
#include "SettingsKeys.h"
#include "Twips.h"
#include "frmMonitor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <limits>

namespace {

constexpr int nameWidth = 1100;   // twips
constexpr int stringWidth = 2295; // twips
constexpr int numberWidth = 330;  // twips

QLineEdit *rowBox(const QString &name, int widthTwips)
{
    auto *box = new QLineEdit;
    box->setObjectName(name);
    // Relay lists and names of any length are kept whole.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setMinimumWidth(Twips::toPixels(widthTwips));
    // Sixteen rows fit the tab: each box as low as its text allows.
    box->setFixedHeight(box->minimumSizeHint().height());
    return box;
}

QLabel *heading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

} // namespace

MacrosPage::MacrosPage(frmMonitor &monitor, SettingsStore &store, int first, QWidget *parent)
    : QWidget(parent)
    , m_monitor(monitor)
    , m_store(store)
    , m_first(first)
{
    build();
    for (int n = m_first; n < m_first + rowCount; ++n) {
        connect(MacroName(n), &QLineEdit::textChanged, this, [this, n] { MacroName_Change(n); });
        connect(OnString(n), &QLineEdit::textChanged, this, [this, n] { OnString_Change(n); });
        connect(OffString(n), &QLineEdit::textChanged, this, [this, n] { OffString_Change(n); });
    }
}

void MacrosPage::build()
{
    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(1);
    grid->setHorizontalSpacing(8);
    grid->addWidget(heading(QStringLiteral("#")), 0, 0, Qt::AlignRight);
    grid->addWidget(heading(QStringLiteral("Name")), 0, 1);
    grid->addWidget(heading(QStringLiteral("\"ON\" String")), 0, 2);
    grid->addWidget(heading(QStringLiteral("\"OFF\" String")), 0, 3);
    for (int r = 0; r < rowCount; ++r) {
        const int n = m_first + r;
        auto *number = new QLabel(QStringLiteral("%1").arg(n + 1, 2, 10, QLatin1Char('0')));
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        number->setMinimumWidth(Twips::toPixels(numberWidth));
        m_names[r] = rowBox(QStringLiteral("MacroName_%1").arg(n), nameWidth);
        m_names[r]->setText(QStringLiteral("Macro%1").arg(n + 1));
        m_onStrings[r] = rowBox(QStringLiteral("OnString_%1").arg(n), stringWidth);
        m_offStrings[r] = rowBox(QStringLiteral("OffString_%1").arg(n), stringWidth);
        number->setBuddy(m_names[r]);
        grid->addWidget(number, r + 1, 0);
        grid->addWidget(m_names[r], r + 1, 1);
        grid->addWidget(m_onStrings[r], r + 1, 2);
        grid->addWidget(m_offStrings[r], r + 1, 3);
    }
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 3);
    grid->setColumnStretch(3, 3);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(9, 6, 9, 6);
    page->addLayout(grid);
    page->addStretch();
}

std::size_t MacrosPage::row(int n) const
{
    Q_ASSERT(holds(n));
    return std::size_t(n - m_first);
}

void MacrosPage::loadNames()
{
    const SettingsAccess settings(m_store);
    for (int n = m_first; n < m_first + rowCount; ++n)
        MacroName(n)->setText(settings.read(Keys::MacroName, n));
}

void MacrosPage::MacroName_Change(int n)
{
    const QString name = MacroName(n)->text();
    m_monitor.w.cmdMacro.at(std::size_t(n))->setText(name);
    SettingsAccess(m_store).save(Keys::MacroName, n, name);
}

void MacrosPage::OnString_Change(int n)
{
    SettingsAccess(m_store).save(Keys::OnString, n, OnString(n)->text());
}

void MacrosPage::OffString_Change(int n)
{
    SettingsAccess(m_store).save(Keys::OffString, n, OffString(n)->text());
}
