#include "NamesPage.h"

#include "LampLabel.h"
#include "PreferenceHolders.h"
#include "SettingsKeys.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <limits>

namespace {

constexpr int nameBoxMinimumWidth = 120;

// A name box with its caption below it.
QLineEdit *nameBox(QGridLayout *grid, int row, int column, const QString &name, const QString &text,
                   const QString &captionText)
{
    auto *box = new QLineEdit(text);
    box->setObjectName(name);
    // The eight characters of the instruction are advice: any name is kept whole.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setMinimumWidth(nameBoxMinimumWidth);
    auto *caption = new QLabel(captionText);
    caption->setBuddy(box);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    grid->addWidget(box, 2 * row, column);
    grid->addWidget(caption, 2 * row + 1, column);
    grid->setRowMinimumHeight(2 * row + 1, 28);
    return box;
}

} // namespace

NamesPage::NamesPage(PreferenceHolders &holders, SettingsStore &store, QWidget *parent)
    : QWidget(parent)
    , m_holders(holders)
    , m_store(store)
{
    build();
    for (int k = 0; k < int(DigStatusName.size()); ++k)
        connect(DigStatusName[k], &QLineEdit::textChanged, this,
                [this, k] { DigStatusName_Change(k); });
    for (int index = 0; index < int(TxtSlider.size()); ++index)
        connect(TxtSlider[index], &QLineEdit::textChanged, this,
                [this, index] { TxtSlider_Change(index); });
}

void NamesPage::build()
{
    auto *instruction = new QLabel(QStringLiteral(
        "Enter a label up to 8 characters long in the box for each status position."));
    instruction->setWordWrap(true);

    auto *inputs = new QGroupBox(QStringLiteral("Digital Inputs"));
    auto *inputGrid = new QGridLayout(inputs);
    inputGrid->setHorizontalSpacing(16);
    for (int k = 0; k < int(DigStatusName.size()); ++k) {
        const QString status = QStringLiteral("Status %1").arg(k + 1);
        DigStatusName[k] = nameBox(inputGrid, k / 4, k % 4,
                                   QStringLiteral("DigStatusName_%1").arg(k), status, status);
    }

    auto *outputs = new QGroupBox(QStringLiteral("Analog Outputs"));
    auto *outputGrid = new QGridLayout(outputs);
    outputGrid->setHorizontalSpacing(16);
    for (int index = 0; index < int(TxtSlider.size()); ++index)
        TxtSlider[index] = nameBox(outputGrid, 0, index, QStringLiteral("TxtSlider_%1").arg(index),
                                   QStringLiteral("An Out %1").arg(index + 1),
                                   QStringLiteral("An Out %1 Name").arg(index + 1));
    // The two output boxes as wide as the input boxes above them: both grids have four
    // equal columns. The output grid's last two are held open by empty widgets, not spacer
    // items: the grid puts no spacing beside a spacer, and gives the boxes what it saves.
    for (QGridLayout *grid : {inputGrid, outputGrid})
        for (int column = 0; column < 4; ++column)
            grid->setColumnStretch(column, 1);
    for (const int column : {2, 3}) {
        auto *room = new QWidget;
        room->setMinimumWidth(nameBoxMinimumWidth);
        room->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
        outputGrid->addWidget(room, 0, column);
    }

    auto *page = new QVBoxLayout(this);
    page->addWidget(instruction);
    page->addSpacing(6);
    page->addWidget(inputs);
    page->addWidget(outputs);
    page->addStretch();
}

void NamesPage::loadInputNames()
{
    const SettingsAccess settings(m_store);
    for (int k = 0; k < int(DigStatusName.size()); ++k)
        DigStatusName[k]->setText(settings.read(Keys::DigStatusName, k));
}

void NamesPage::loadOutputNames()
{
    const SettingsAccess settings(m_store);
    TxtSlider[0]->setText(settings.read(Keys::AnalogOut1));
    TxtSlider[1]->setText(settings.read(Keys::AnalogOut2));
}

void NamesPage::DigStatusName_Change(int k)
{
    m_holders.setInputName(k, DigStatusName[k]->text());
    SettingsAccess(m_store).save(Keys::DigStatusName, k, m_holders.inputName(k));
}

void NamesPage::TxtSlider_Change(int index)
{
    const int output = index + 1;
    m_holders.setAnalogOutName(output, TxtSlider[index]->text());
    SettingsAccess(m_store).save(index == 0 ? Keys::AnalogOut1 : Keys::AnalogOut2,
                                 m_holders.analogOutName(output));
}
