#include "CommPortPage.h"

#include "PortPaths.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString entryPrefix = QStringLiteral("Com ");

} // namespace

CommPortPage::CommPortPage(QWidget *parent)
    : QWidget(parent)
{
    ComboComm = new QComboBox;
    ComboComm->setObjectName(QStringLiteral("ComboComm"));
    ComboComm->setEditable(true);
    ComboComm->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= portCount; ++n)
        ComboComm->addItem(entryPrefix + QString::number(n));
    ComboComm->setEditText(entryPrefix + QStringLiteral("1"));
    ComboComm->setMinimumWidth(120);

    lblDevice = new QLabel;
    lblDevice->setObjectName(QStringLiteral("lblDevice"));
    lblDevice->setWordWrap(true);
    lblDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *select = new QGroupBox(QStringLiteral("Select Com Port"));
    auto *selectColumn = new QVBoxLayout(select);
    selectColumn->addWidget(ComboComm);
    selectColumn->addWidget(lblDevice);
    auto *left = new QVBoxLayout;
    left->addWidget(select);
    left->addStretch();

    tblDevices = new QTableWidget(portCount, 2);
    tblDevices->setObjectName(QStringLiteral("tblDevices"));
    tblDevices->setHorizontalHeaderLabels({QStringLiteral("Port"), QStringLiteral("Device")});
    tblDevices->verticalHeader()->hide();
    tblDevices->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblDevices->setSelectionMode(QAbstractItemView::NoSelection);
    tblDevices->setFocusPolicy(Qt::NoFocus);
    tblDevices->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tblDevices->horizontalHeader()->setStretchLastSection(true);
    for (int n = 1; n <= portCount; ++n)
        tblDevices->setItem(n - 1, 0, new QTableWidgetItem(entryPrefix + QString::number(n)));

    auto *devices = new QGroupBox(QStringLiteral("Where the ports lead on this computer"));
    (new QVBoxLayout(devices))->addWidget(tblDevices);

    auto *page = new QHBoxLayout(this);
    page->addLayout(left, 2);
    page->addWidget(devices, 3);

    connect(ComboComm, &QComboBox::editTextChanged, this, &CommPortPage::showDeviceOfText);
    refreshDevices();
}

QString CommPortPage::deviceText(int number)
{
    const QString device = PortPaths::resolvedDevice(number);
    return device.isEmpty() ? QStringLiteral("not present") : device;
}

void CommPortPage::showPort(const QString &digits)
{
    const QString text = entryPrefix + digits;
    const int entry = ComboComm->findText(text);
    if (entry >= 0)
        ComboComm->setCurrentIndex(entry);
    ComboComm->setEditText(text);
}

void CommPortPage::refreshDevices()
{
    for (int n = 1; n <= portCount; ++n)
        tblDevices->setItem(n - 1, 1, new QTableWidgetItem(deviceText(n)));
    showDeviceOfText();
}

void CommPortPage::showDeviceOfText()
{
    const QString text = ComboComm->currentText();
    bool whole = false;
    const int number =
        text.startsWith(entryPrefix) ? text.mid(entryPrefix.size()).toInt(&whole) : 0;
    if (!whole || number < 1) {
        lblDevice->clear();
        return;
    }
    lblDevice->setText(text + QStringLiteral(" leads to: ") + deviceText(number));
}

void CommPortPage::showEvent(QShowEvent *event)
{
    refreshDevices();
    QWidget::showEvent(event);
}
