#include "frmMonitor.h"

#include "AGauge.h"
#include "AlwaysOnTop.h"
#include "BgrColor.h"
#include "ColorButton.h"
#include "HelpPages.h"
#include "HelpViewer.h"
#include "LampLabel.h"
#include "MessageBox.h"
#include "MonitorDialogs.h"
#include "NumberText.h"
#include "ScreenReader.h"
#include "SerialPort.h"
#include "SettingsKeys.h"
#include "StatusFrame.h"
#include "Twips.h"
#include "ViewFocus.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

// Stored coordinates beyond this are hand-edited nonsense; keeping them finite and small
// keeps the pixel arithmetic sound until the window is put back on a screen.
constexpr double farAway = 1e7;

// The outer heights a window may take: from a strip that still shows the menu to the whole
// client area.
constexpr double lowestHeight = 1440;
constexpr double highestHeight = MonitorLayout::extentHeight + MonitorLayout::chromeHeight;

// How much of the window's top-left corner must lie on a screen for the user to reach its
// title bar and menu, in pixels.
constexpr int reachableWidth = 120;
constexpr int reachableHeight = 40;

} // namespace

frmMonitor::frmMonitor(const MonitorPlatform &platform, QWidget *parent)
    : QMainWindow(parent)
    , m_store(platform.store)
    , m_port(platform.port)
    , m_messages(platform.messages)
    , m_help(platform.help)
    , m_dialogs(platform.dialogs)
    , m_holders(*this)
    , m_preferences(platform.store, m_holders)
{
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(QStringLiteral("Tarnwick"));

    // The client area is laid out in full; the window's height decides how much shows.
    auto *viewport = new QWidget(this);
    auto *client = new QWidget(viewport);
    w = MonitorLayout::build(client);
    setCentralWidget(viewport);
    new ViewFocus(viewport, client);
    buildMenus();

    m_core = new PanelCore(m_port, m_store, *this, this);
    connect(m_core, &PanelCore::frameApplied, this, &frmMonitor::showFrame);
    connect(m_core, &PanelCore::linkChanged, this, &frmMonitor::showLinkState);
    connect(m_core, &PanelCore::relaysShown, this, &frmMonitor::paintRelays);
    connect(m_core, &PanelCore::outputChanged, this, &frmMonitor::showOutput);
    connect(m_core, &PanelCore::macroRan, this, &frmMonitor::showMacroTexts);
    connect(m_core, &PanelCore::nameChanged, this, &frmMonitor::showName);
    connectControls();
    ScreenReader::whenListening(this, [this] { describeShown(); });

    setFixedWidth(Twips::toPixels(MonitorLayout::clientWidth));
    setOuterHeight(MonitorLayout::normalHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        move(available.center() - QPoint(width() / 2, height() / 2));
    }
}

frmMonitor::~frmMonitor() = default;

void frmMonitor::buildMenus()
{
    auto named = [](auto *item, const char *name) {
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuExit = named(file->addAction(QStringLiteral("&Exit"), this, &frmMonitor::mnuExit_Click),
                    "mnuExit");

    mnuSetup =
        named(menuBar()->addAction(QStringLiteral("&Setup"), this, &frmMonitor::mnuSetup_Click),
              "mnuSetup");
    mnuSetup->setEnabled(m_dialogs != nullptr);

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    mnuNorm = named(view->addAction(QStringLiteral("&Normal"), this, &frmMonitor::mnuNorm_Click),
                    "mnuNorm");
    mnuDiag =
        named(view->addAction(QStringLiteral("&Diagnostic"), this, &frmMonitor::mnuDiag_Click),
              "mnuDiag");

    // What the recorder and the trend window do with these is theirs; the program wires them.
    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuRecord = named(tools->addAction(QStringLiteral("Start &Recording...")), "mnuRecord");
    mnuRecordStatus = named(tools->addAction(QStringLiteral("Not recording")), "mnuRecordStatus");
    mnuRecordStatus->setEnabled(false);
    mnuRecordEvery = named(tools->addMenu(QStringLiteral("Record &Every")), "mnuRecordEvery");
    mnuRecordKeep = named(tools->addMenu(QStringLiteral("&Keep Recordings")), "mnuRecordKeep");
    tools->addSeparator();
    mnuTrends = named(tools->addAction(QStringLiteral("&Trends")), "mnuTrends");

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelpContents = named(
        help->addAction(QStringLiteral("&Contents"), this, &frmMonitor::mnuHelpContents_Click),
        "mnuHelpContents");
    mnuHelpContents->setEnabled(m_help != nullptr);
    mnuHelpAbout =
        named(help->addAction(QStringLiteral("&About"), this, &frmMonitor::mnuHelpAbout_Click),
              "mnuHelpAbout");
    mnuHelpAbout->setEnabled(m_dialogs != nullptr);
}

void frmMonitor::Form_Load()
{
    RegInit(m_store, *this);
    m_preferences.GetPreferences();
    m_core->loadRelayNames();

    const bool opened = openPortAtStart();
    showLinkState();
    if (!opened)
        return;
    setTimerEnabled(poll().Timer1, true);
    setTimerEnabled(poll().Timer3, false);
    OffColor = PanelColours::off;
    OnColor = PanelColours::on;
    m_core->showRelaysOff();
}

bool frmMonitor::openPortAtStart()
{
    if (m_port.isOpen())
        m_port.close();
    const QString stored = SettingsAccess(m_store).read(Keys::MeterComPort);
    const std::optional<int> number = NumberText::toPortNumber(stored);
    m_port.setPortNumber(number.value_or(0));
    m_port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!m_port.open()) {
        // A number the port could not take is named as it was stored, so the user sees what
        // to correct.
        const QString tried = number ? QString::number(m_port.portNumber()) : stored.trimmed();
        m_messages.showMessage(this, windowTitle(), portUnavailableMessage(tried),
                               PortDiagnosis::explanation(m_port.lastProblem()));
        return false;
    }
    m_port.setReadLength(0);
    if (!m_port.isOpen())
        m_port.open();
    return true;
}

QString frmMonitor::portUnavailableMessage(const QString &port)
{
    return QStringLiteral("COM ") + port +
           QStringLiteral(": not available. Check Comm Port setting.");
}

void frmMonitor::setMtrResponse(const QString &text)
{
    m_mtrResponse = text;
    poll().setPollInterval(effectivePollInterval(NumberText::toDouble(text)));
}

int frmMonitor::outerHeight() const
{
    return m_outerHeight;
}

void frmMonitor::setOuterHeight(double twips)
{
    // The height is fixed for the user, so the twips last set stay what the window shows;
    // kept as set, they come back exactly although pixels cannot hold every twips value.
    m_outerHeight =
        static_cast<int>(std::clamp(std::nearbyint(twips), lowestHeight, highestHeight));
    const int clientTwips = m_outerHeight - MonitorLayout::chromeHeight;
    setFixedHeight(Twips::toPixels(clientTwips) + menuBar()->sizeHint().height());
}

float frmMonitor::windowLeft() const
{
    return float(Twips::fromPixels(x()));
}

float frmMonitor::windowTop() const
{
    return float(Twips::fromPixels(y()));
}

float frmMonitor::windowHeight() const
{
    return float(outerHeight());
}

void frmMonitor::moveTo(double leftTwips, double topTwips)
{
    QPoint place(Twips::toPixels(std::clamp(leftTwips, -farAway, farAway)),
                 Twips::toPixels(std::clamp(topTwips, -farAway, farAway)));
    const QScreen *screen = QGuiApplication::screenAt(place + QPoint(reachableWidth / 2, 10));
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        // Stored coordinates from another screen arrangement: the nearest place from which
        // the user can still take the window by its title bar.
        const QRect area = screen->availableGeometry();
        place.setX(std::clamp(place.x(), area.left() - width() + reachableWidth,
                              area.right() - reachableWidth));
        place.setY(std::clamp(place.y(), area.top(), area.bottom() - reachableHeight));
    }
    move(place);
}

quint32 frmMonitor::onColor() const
{
    return OnColor.value_or(PanelColours::on);
}

quint32 frmMonitor::offColor() const
{
    return OffColor.value_or(PanelColours::off);
}

void frmMonitor::chkOnTop_Click()
{
    SetAlwaysOnTop(this, w.chkOnTop->isChecked());
}

void frmMonitor::mnuNorm_Click()
{
    changeView(MonitorLayout::normalHeight);
}

void frmMonitor::mnuDiag_Click()
{
    changeView(MonitorLayout::diagnosticHeight);
}

void frmMonitor::changeView(int outerHeightTwips)
{
    setTimerEnabled(poll().Timer1, false);
    setOuterHeight(outerHeightTwips);
    setTimerEnabled(poll().Timer1, true);
}

void frmMonitor::mnuExit_Click()
{
    close();
}

void frmMonitor::mnuSetup_Click()
{
    if (!m_dialogs)
        return;
    SetupDialog *setup = setupDialog();
    if (!setup)
        return;
    setTimerEnabled(poll().Timer1, false);
    setEnabled(false);
    m_core->setSetupOpen(true);
    QWidget *dialog = setup->window();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}

SetupDialog *frmMonitor::setupDialog()
{
    if (!m_setup && m_dialogs) {
        // Known before its load runs: the load-all inside it asks for the fields again.
        m_setup = m_dialogs->createSetup(*this);
        if (!m_setup)
            return nullptr;
        connect(m_setup->window(), &QObject::destroyed, this, [this] { m_setup = nullptr; });
        m_setup->Form_Load();
    }
    return m_setup;
}

MacroStringHolders *frmMonitor::macroStrings()
{
    SetupDialog *dialog = setupDialog();
    return dialog ? &dialog->macroStrings() : nullptr;
}

void frmMonitor::setupClosed()
{
    // The closing dialog is deleted later; the next opening makes a new one.
    m_setup = nullptr;
    setEnabled(true);
    reopenLink();
    setTimerEnabled(poll().Timer1, true);
    m_core->setSetupOpen(false);
}

void frmMonitor::reopenLink()
{
    if (!m_port.isOpen())
        openPortAtStart();
    showLinkState();
}

void frmMonitor::mnuHelpContents_Click()
{
    if (m_help)
        m_help->showContents(HelpPages::contentsUrl());
}

void frmMonitor::mnuHelpAbout_Click()
{
    if (m_dialogs)
        m_dialogs->showAbout(*this);
}

void frmMonitor::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmMonitor::Form_Unload()
{
    if (std::exchange(m_unloaded, true))
        return;
    m_core->endPulses();
    m_core->setClosing();
    m_preferences.SaveSettings();
    setTimerEnabled(poll().Timer1, false);
    setEnabled(false);
    // Ends the program at once; the other windows close with it and the port is released.
    QCoreApplication::quit();
}

double frmMonitor::meterScaleMax(int m) const
{
    return w.AGauge1[std::size_t(m)]->scaleMax();
}

QString frmMonitor::meterMultiplier(int m) const
{
    return m_preferences.mtr_multiplier(m);
}

QString frmMonitor::meterCaption(int m) const
{
    return w.AGauge1[std::size_t(m)]->caption();
}

bool frmMonitor::temperatureInCelsius() const
{
    return w.Check4->isChecked();
}

QString frmMonitor::macroCaption(int index) const
{
    return m_core->names().at(PanelNames::Kind::Macro, index);
}

QString frmMonitor::inputCaption(int index) const
{
    return m_core->names().at(PanelNames::Kind::Input, index);
}
