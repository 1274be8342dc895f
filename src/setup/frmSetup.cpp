#include "frmSetup.h"

#include "CommPortPage.h"
#include "MacrosPage.h"
#include "MetersPage.h"
#include "NamesPage.h"
#include "Preferences.h"
#include "RelayNamesPage.h"
#include "SerialPort.h"
#include "SettingsKeys.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int clientWidth = 11730; // twips
constexpr int clientHeight = 6855; // twips
constexpr int portTextStart = 4;   // "Com " precedes the digits

} // namespace

frmSetup::frmSetup(SetupHost &host, const SetupPlatform &platform)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint)
    , m_host(host)
    , m_store(platform.store)
{
    setObjectName(QStringLiteral("frmSetup"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    // Blank for the eye, named for a screen reader, which has no tabs' look to go by.
    setAccessibleName(QStringLiteral("Setup"));
    // The title bar carries no text. Qt fills an empty native title with the application's
    // name, so the native window gets a single blank instead; the widget's title stays empty.
    create();
    windowHandle()->setTitle(QStringLiteral(" "));
    resize(Twips::toPixels(clientWidth), Twips::toPixels(clientHeight));

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    commPortPage = new CommPortPage(&host.holders().serialPort());
    metersPage = new MetersPage(host, m_store, platform.colors);
    namesPage = new NamesPage(host.holders(), m_store);
    macrosPages[0] = new MacrosPage(host.holders(), m_store, 0);
    macrosPages[1] = new MacrosPage(host.holders(), m_store, MacrosPage::rowCount);
    relayNamesPage = new RelayNamesPage(host.panelCore(), m_store);
    SSTab1->addTab(commPortPage, QStringLiteral("Comm Port"));
    SSTab1->addTab(metersPage, QStringLiteral("Meters"));
    SSTab1->addTab(namesPage, QStringLiteral("General Labels"));
    SSTab1->addTab(macrosPages[0], QStringLiteral("Macros A"));
    SSTab1->addTab(macrosPages[1], QStringLiteral("Macros B"));
    SSTab1->addTab(relayNamesPage, QStringLiteral("Relay Names"));
    SSTab1->setCurrentIndex(firstTab);
    auto *client = new QVBoxLayout(this);
    client->setContentsMargins(6, 6, 6, 6);
    client->addWidget(SSTab1);

    connect(commPortPage->ComboComm, &QComboBox::activated, this, &frmSetup::ComboComm_Click);
    connect(commPortPage, &CommPortPage::linkChanged, this, &frmSetup::portLinkChanged);
}

void frmSetup::Form_Load()
{
    m_host.preferences().GetPreferences();
    commPortPage->showPort(QString::number(m_host.holders().serialPort().portNumber()));
    metersPage->Load();
    namesPage->loadInputNames();
    for (MacrosPage *page : macrosPages)
        page->loadNames();
    namesPage->loadOutputNames();
    relayNamesPage->loadNames();
}

void frmSetup::ComboComm_Click()
{
    comport = commPortPage->ComboComm->currentText().mid(portTextStart);
    SerialPort &port = m_host.holders().serialPort();
    if (port.isOpen())
        port.close();
    SettingsAccess(m_store).save(Keys::MeterComPort, comport);
    port.setPortNumber(comport.toInt());
    commPortPage->showPort(comport);
}

void frmSetup::portLinkChanged(int number)
{
    // The port in use now leads elsewhere: it is closed, as a new choice closes it, and the
    // dialog's close opens it on the new device.
    SerialPort &port = m_host.holders().serialPort();
    if (port.portNumber() == number && port.isOpen())
        port.close();
}

void frmSetup::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmSetup::Form_Unload()
{
    if (std::exchange(m_unloaded, true))
        return;
    m_host.preferences().SaveSettings();
    // Enables the window, opens the link again if the dialog closed it, restarts the poll.
    m_host.setupClosed();
}

MacrosPage &frmSetup::macrosPage(int n) const
{
    return *macrosPages[macrosPages[0]->holds(n) ? 0 : 1];
}

QString frmSetup::onString(int n) const
{
    return macrosPage(n).onString(n);
}

void frmSetup::setOnString(int n, const QString &text)
{
    macrosPage(n).setOnString(n, text);
}

QString frmSetup::offString(int n) const
{
    return macrosPage(n).offString(n);
}

void frmSetup::setOffString(int n, const QString &text)
{
    macrosPage(n).setOffString(n, text);
}
