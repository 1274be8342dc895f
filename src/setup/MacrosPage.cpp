#include "MacrosPage.h"

#include "ColorButton.h"
#include "PreferenceHolders.h"
#include "SettingsKeys.h"
#include "Twips.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <limits>

namespace {

constexpr int numberWidth = 330; // twips

// Each field's box: its name, with the macro's number after an underscore, its width, and
// what a screen reader calls it after the macro's number ("Macro 3 on list").
struct FieldBox
{
    const char *name;
    int widthTwips;
    const char *spoken;
};
constexpr FieldBox fieldBoxes[] = {
    {"MacroName", 1100, "name"}, {"OnString", 2295, "on list"}, {"OffString", 2295, "off list"}};

QLineEdit *rowBox(const QString &name, int widthTwips, const QString &text)
{
    auto *box = new QLineEdit;
    box->setObjectName(name);
    // Relay lists and names of any length are kept whole.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setText(text);
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

MacrosPage::MacrosPage(PreferenceHolders &holders, SettingsStore &store, int first, QWidget *parent)
    : QWidget(parent)
    , m_holders(holders)
    , m_store(store)
    , m_first(first)
{
    for (int r = 0; r < rowCount; ++r)
        m_texts[std::size_t(r)][Name] = QStringLiteral("Macro%1").arg(m_first + r + 1);
}

void MacrosPage::showEvent(QShowEvent *event)
{
    build();
    QWidget::showEvent(event);
}

void MacrosPage::build()
{
    if (m_built)
        return;
    m_built = true;
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
        grid->addWidget(number, r + 1, 0);
        for (int field = Name; field < fieldCount; ++field) {
            const FieldBox &kind = fieldBoxes[field];
            QLineEdit *box = rowBox(QStringLiteral("%1_%2").arg(QLatin1String(kind.name)).arg(n),
                                    kind.widthTwips, m_texts[std::size_t(r)][field]);
            box->setAccessibleName(
                QStringLiteral("Macro %1 %2").arg(n + 1).arg(QLatin1String(kind.spoken)));
            m_boxes[std::size_t(r)][field] = box;
            grid->addWidget(box, r + 1, field + 1);
            // After the text is in: making a box changes nothing.
            connect(box, &QLineEdit::textChanged, this,
                    [this, field, n] { changed(Field(field), n); });
        }
        number->setBuddy(m_boxes[std::size_t(r)][Name]);
    }
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(2, 3);
    grid->setColumnStretch(3, 3);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(9, 6, 9, 6);
    page->addLayout(grid);
    page->addStretch();
    // Made while the page is being shown: shown and laid out now, not a moment later.
    if (isVisible()) {
        for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            child->show();
        page->activate();
    }
}

std::size_t MacrosPage::row(int n) const
{
    Q_ASSERT(holds(n));
    return std::size_t(n - m_first);
}

QLineEdit *MacrosPage::box(Field field, int n)
{
    build();
    return m_boxes[row(n)][field];
}

QString MacrosPage::text(Field field, int n) const
{
    return m_built ? m_boxes[row(n)][field]->text() : m_texts[row(n)][field];
}

void MacrosPage::setText(Field field, int n, const QString &text)
{
    if (m_built) {
        m_boxes[row(n)][field]->setText(text); // its change reaction runs if the text changes
        return;
    }
    QString &kept = m_texts[row(n)][field];
    if (kept == text)
        return;
    kept = text;
    changed(field, n);
}

void MacrosPage::changed(Field field, int n)
{
    static constexpr void (MacrosPage::*reactions[fieldCount])(int) = {
        &MacrosPage::MacroName_Change, &MacrosPage::OnString_Change, &MacrosPage::OffString_Change};
    (this->*reactions[field])(n);
}

void MacrosPage::loadNames()
{
    const SettingsAccess settings(m_store);
    for (int n = m_first; n < m_first + rowCount; ++n)
        setText(Name, n, settings.read(Keys::MacroName, n));
}

void MacrosPage::MacroName_Change(int n)
{
    const QString name = macroName(n);
    m_holders.setMacroName(n, name);
    SettingsAccess(m_store).save(Keys::MacroName, n, name);
}

void MacrosPage::OnString_Change(int n)
{
    SettingsAccess(m_store).save(Keys::OnString, n, onString(n));
}

void MacrosPage::OffString_Change(int n)
{
    SettingsAccess(m_store).save(Keys::OffString, n, offString(n));
}
