#include "RelayNamesPage.h"

#include "PanelCore.h"
#include "SettingsKeys.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

RelayNamesPage::RelayNamesPage(PanelCore &core, SettingsStore &store, QWidget *parent)
    : QWidget(parent)
    , m_core(core)
    , m_store(store)
{
    auto *instruction = new QLabel(QStringLiteral(
        "Enter a name for each relay. It shows as the relay's tooltip, and tarnwick-ctl and "
        "MQTT accept it in place of R1 to R64."));
    instruction->setWordWrap(true);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    for (int relay = 0; relay < int(RelayName.size()); ++relay) {
        const int bank = relay / 8;
        const int position = relay % 8;
        auto *box = new QLineEdit;
        box->setObjectName(QStringLiteral("RelayName_%1").arg(relay + 1));
        auto *caption = new QLabel(QStringLiteral("R%1").arg(relay + 1));
        caption->setBuddy(box);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(caption, bank, 2 * position);
        grid->addWidget(box, bank, 2 * position + 1);
        grid->setColumnStretch(2 * position + 1, 1);
        RelayName[std::size_t(relay)] = box;
        connect(box, &QLineEdit::textChanged, this, [this, relay] { nameChanged(relay); });
    }

    auto *page = new QVBoxLayout(this);
    page->addWidget(instruction);
    page->addSpacing(6);
    page->addLayout(grid);
    page->addStretch();
}

void RelayNamesPage::loadNames()
{
    m_loading = true;
    m_core.loadRelayNames();
    for (int relay = 0; relay < int(RelayName.size()); ++relay)
        RelayName[std::size_t(relay)]->setText(m_core.names().at(PanelNames::Kind::Relay, relay));
    m_loading = false;
}

void RelayNamesPage::nameChanged(int relay)
{
    if (m_loading)
        return; // the store holds it already
    const QString name = RelayName[std::size_t(relay)]->text();
    m_core.setName(PanelNames::Kind::Relay, relay, name);
    RelayNameKeys::save(m_store, relay, name);
}
