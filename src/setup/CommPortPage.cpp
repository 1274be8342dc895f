#include "CommPortPage.h"

#include "PortPaths.h"
#include "PortProblem.h"
#include "SerialDevices.h"
#include "SerialPort.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString entryPrefix = QStringLiteral("Com ");

// Where adapters appear and disappear: the device folder, the stable names, our links.
QStringList watchedFolders()
{
    return {QStringLiteral("/dev"), QStringLiteral("/dev/serial/by-id"), PortPaths::portsFolder()};
}

QTableWidget *table(const QString &name, const QString &spoken, const QStringList &headers,
                    int rows)
{
    auto *widget = new QTableWidget(rows, int(headers.size()));
    widget->setObjectName(name);
    widget->setAccessibleName(spoken);
    // Tab leaves the table for the next control; the arrow keys move within it.
    widget->setTabKeyNavigation(false);
    widget->setHorizontalHeaderLabels(headers);
    widget->verticalHeader()->hide();
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widget->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    widget->horizontalHeader()->setStretchLastSection(true);
    widget->setWordWrap(false);
    widget->verticalHeader()->setDefaultSectionSize(widget->fontMetrics().height() + 6);
    return widget;
}

void setCell(QTableWidget *table, int row, int column, const QString &text)
{
    auto *item = new QTableWidgetItem(text);
    item->setToolTip(text);
    table->setItem(row, column, item);
}

} // namespace

CommPortPage::CommPortPage(const LastPortOpen *lastOpen, QWidget *parent)
    : QWidget(parent)
    , m_lastOpen(lastOpen)
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

    lblPortState = new QLabel;
    lblPortState->setObjectName(QStringLiteral("lblPortState"));
    lblPortState->setWordWrap(true);
    lblPortState->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *select = new QGroupBox(QStringLiteral("Select Com Port"));
    auto *selectColumn = new QVBoxLayout(select);
    selectColumn->addWidget(ComboComm);
    selectColumn->addWidget(lblDevice);
    selectColumn->addWidget(lblPortState);

    txtDevice = new QLineEdit;
    txtDevice->setObjectName(QStringLiteral("txtDevice"));
    txtDevice->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
    txtDevice->setAccessibleName(QStringLiteral("Device"));
    cmdAssign = new QPushButton(QStringLiteral("&Assign to this port"));
    cmdAssign->setObjectName(QStringLiteral("cmdAssign"));
    cmdRemoveLink = new QPushButton(QStringLiteral("&Remove its link"));
    cmdRemoveLink->setObjectName(QStringLiteral("cmdRemoveLink"));
    lblAssign = new QLabel;
    lblAssign->setObjectName(QStringLiteral("lblAssign"));
    lblAssign->setWordWrap(true);
    lblAssign->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *assign = new QGroupBox(QStringLiteral("Device for this port"));
    auto *assignGrid = new QGridLayout(assign);
    auto *deviceLabel = new QLabel(QStringLiteral("De&vice:"));
    deviceLabel->setBuddy(txtDevice);
    assignGrid->addWidget(deviceLabel, 0, 0);
    assignGrid->addWidget(txtDevice, 0, 1, 1, 2);
    assignGrid->addWidget(cmdAssign, 1, 1);
    assignGrid->addWidget(cmdRemoveLink, 1, 2);
    assignGrid->addWidget(lblAssign, 2, 0, 1, 3);

    auto *left = new QVBoxLayout;
    left->addWidget(select);
    left->addWidget(assign);
    left->addStretch();

    m_page = new QHBoxLayout(this);
    m_page->addLayout(left, 2);

    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(250); // udev makes a node and its names in several steps
    connect(m_settle, &QTimer::timeout, this, &CommPortPage::refreshDevices);

    connect(ComboComm, &QComboBox::editTextChanged, this, &CommPortPage::showDeviceOfText);
    connect(cmdAssign, &QPushButton::clicked, this, &CommPortPage::cmdAssign_Click);
    connect(cmdRemoveLink, &QPushButton::clicked, this, &CommPortPage::cmdRemoveLink_Click);
    connect(txtDevice, &QLineEdit::returnPressed, this, &CommPortPage::cmdAssign_Click);
    // The tables are made and filled when the page is first shown, not here: the page is
    // made at every start with the hidden setup dialog, and the two tables and udev's list
    // of devices are most of what it costs. What they show is looked up at every showing.
    showDeviceOfText();
}

void CommPortPage::makeTables()
{
    tblDevices = table(QStringLiteral("tblDevices"), QStringLiteral("Ports"),
                       {QStringLiteral("Port"), QStringLiteral("Device"), QStringLiteral("State")},
                       portCount);
    // Nothing to choose here, but a keyboard and a screen reader read it row by row too.
    tblDevices->setSelectionMode(QAbstractItemView::NoSelection);
    for (int n = 1; n <= portCount; ++n)
        setCell(tblDevices, n - 1, 0, entryPrefix + QString::number(n));
    auto *ports = new QGroupBox(QStringLiteral("Where the ports lead on this computer"));
    (new QVBoxLayout(ports))->addWidget(tblDevices);

    tblSerial = table(QStringLiteral("tblSerial"), QStringLiteral("Serial devices"),
                      {QStringLiteral("Device"), QStringLiteral("Description"),
                       QStringLiteral("Maker"), QStringLiteral("Serial number")},
                      0);
    tblSerial->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblSerial->setSelectionMode(QAbstractItemView::SingleSelection);
    auto *serial = new QGroupBox(QStringLiteral("Serial devices on this computer"));
    (new QVBoxLayout(serial))->addWidget(tblSerial);
    connect(tblSerial, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem *> chosen = tblSerial->selectedItems();
        if (!chosen.isEmpty())
            txtDevice->setText(tblSerial->item(chosen.first()->row(), 0)->text());
    });

    auto *right = new QVBoxLayout;
    right->addWidget(ports, 1);
    right->addWidget(serial, 1);
    m_page->addLayout(right, 3);
    // Made while the page is being shown: shown and laid out now, not a moment later.
    ports->show();
    serial->show();
    m_page->activate();
}

QString CommPortPage::deviceText(int number)
{
    const QString device = PortPaths::resolvedDevice(number);
    return device.isEmpty() ? QStringLiteral("not present") : device;
}

QString CommPortPage::stateText(int number, const PortProblem &lastOpen)
{
    const PortProblem problem = PortDiagnosis::inspect(PortPaths::devicePath(number), lastOpen);
    if (problem.kind == PortProblem::Kind::None)
        return QStringLiteral("can be opened");
    return PortDiagnosis::reason(problem);
}

QString CommPortPage::portState(int number) const
{
    return stateText(number, m_lastOpen ? m_lastOpen->lastProblem() : PortProblem{});
}

int CommPortPage::chosenPort() const
{
    const QString text = ComboComm->currentText();
    bool whole = false;
    const int number =
        text.startsWith(entryPrefix) ? text.mid(entryPrefix.size()).toInt(&whole) : 0;
    return whole && number >= 1 ? number : 0;
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
    refreshSerialDevices();
    refreshPorts();
}

void CommPortPage::refreshPorts()
{
    if (tblDevices) {
        for (int n = 1; n <= portCount; ++n) {
            setCell(tblDevices, n - 1, 1, deviceText(n));
            setCell(tblDevices, n - 1, 2, portState(n));
        }
    }
    showDeviceOfText();
}

void CommPortPage::refreshSerialDevices()
{
    if (!tblSerial)
        return;
    const QList<SerialDevices::Device> devices = SerialDevices::list();
    tblSerial->setRowCount(int(devices.size()));
    for (int row = 0; row < int(devices.size()); ++row) {
        const SerialDevices::Device &device = devices[row];
        setCell(tblSerial, row, 0, device.path);
        setCell(tblSerial, row, 1, device.description);
        setCell(tblSerial, row, 2, device.maker);
        setCell(tblSerial, row, 3, device.serialNumber);
    }
}

void CommPortPage::showDeviceOfText()
{
    const int number = chosenPort();
    if (!number) {
        lblDevice->clear();
        lblPortState->clear();
        return;
    }
    lblDevice->setText(ComboComm->currentText() + QStringLiteral(" leads to: ") +
                       deviceText(number));
    lblPortState->setText(portState(number));
    cmdRemoveLink->setEnabled(PortPaths::hasLink(number));
}

void CommPortPage::cmdAssign_Click()
{
    const int number = chosenPort();
    const QString device = txtDevice->text().trimmed();
    QString error;
    if (!number) {
        lblAssign->setText(QStringLiteral("Choose a port first."));
    } else if (PortPaths::assign(number, device, &error)) {
        lblAssign->setText(QStringLiteral("Com %1 now leads to %2.")
                               .arg(number)
                               .arg(QFileInfo(PortPaths::linkPath(number)).symLinkTarget()));
        Q_EMIT linkChanged(number);
    } else {
        lblAssign->setText(error);
    }
    refreshDevices();
}

void CommPortPage::cmdRemoveLink_Click()
{
    const int number = chosenPort();
    QString error;
    if (!number) {
        lblAssign->setText(QStringLiteral("Choose a port first."));
    } else if (PortPaths::removeLink(number, &error)) {
        lblAssign->setText(QStringLiteral("Com %1 has no link now; it leads to %2.")
                               .arg(number)
                               .arg(PortPaths::fallbackPath(number)));
        Q_EMIT linkChanged(number);
    } else {
        lblAssign->setText(error);
    }
    refreshDevices();
}

void CommPortPage::watchDevices(bool watch)
{
    delete std::exchange(m_watcher, nullptr);
    if (!watch)
        return;
    m_watcher = new QFileSystemWatcher(this);
    for (const QString &folder : watchedFolders())
        if (QDir(folder).exists())
            m_watcher->addPath(folder);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle,
            qOverload<>(&QTimer::start));
}

void CommPortPage::showEvent(QShowEvent *event)
{
    if (!tblDevices)
        makeTables();
    watchDevices(true);
    refreshDevices();
    QWidget::showEvent(event);
}

void CommPortPage::hideEvent(QHideEvent *event)
{
    watchDevices(false);
    QWidget::hideEvent(event);
}
