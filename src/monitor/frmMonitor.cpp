#include "frmMonitor.h"

#include "AGauge.h"
#include "BgrColor.h"
#include "ColorButton.h"
#include "MessageBox.h"
#include "NumberText.h"
#include "SerialPort.h"
#include "SettingsKeys.h"
#include "SettingsStore.h"
#include "StatusFrame.h"
#include "Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace {

constexpr quint32 onColor = BgrColor::fromRgb(50, 200, 50);  // 3328050
constexpr quint32 offColor = BgrColor::fromRgb(200, 50, 50); // 3289800

// The port number a stored "Meter-ComPort" names: a whole number from 1 to 255.
std::optional<int> portNumberFromText(const QString &text)
{
    const std::optional<double> number = NumberText::toDouble(text);
    if (!number || *number != std::floor(*number) || *number < 1 || *number > 255)
        return std::nullopt;
    return static_cast<int>(*number);
}

} // namespace

frmMonitor::frmMonitor(const MonitorPlatform &platform, QWidget *parent)
    : QMainWindow(parent)
    , m_store(platform.store)
    , m_port(platform.port)
    , m_messages(platform.messages)
{
    setObjectName(QStringLiteral("frmMonitor"));
    setWindowTitle(QStringLiteral("Tarnwick"));

    // The client area is laid out in full; the window's height decides how much shows.
    auto *viewport = new QWidget(this);
    auto *client = new QWidget(viewport);
    w = MonitorLayout::build(client);
    setCentralWidget(viewport);
    buildMenus();

    m_poll = new StatusPoll(m_port, *this, this);

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
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    mnuExit = file->addAction(QStringLiteral("&Exit"), this, &frmMonitor::mnuExit_Click);
    mnuExit->setObjectName(QStringLiteral("mnuExit"));

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    mnuNorm = view->addAction(QStringLiteral("&Normal"), this, &frmMonitor::mnuNorm_Click);
    mnuNorm->setObjectName(QStringLiteral("mnuNorm"));
    mnuDiag = view->addAction(QStringLiteral("&Diagnostic"), this, &frmMonitor::mnuDiag_Click);
    mnuDiag->setObjectName(QStringLiteral("mnuDiag"));
}

void frmMonitor::Form_Load()
{
    RegInit(m_store, *this);
    loadPreferences();

    if (!openPortAtStart())
        return;
    setTimerEnabled(m_poll->Timer1, true);
    setTimerEnabled(m_poll->Timer3, false);
    OffColor = offColor;
    OnColor = onColor;
    for (int position = 0; position < 8; ++position)
        for (auto &bank : w.cmdRelay)
            bank[position]->setBackColor(*OffColor);
}

void frmMonitor::loadPreferences()
{
    const SettingsAccess settings(m_store);
    w.Check4->setChecked(settings.read(Keys::TempMode).trimmed() == QLatin1String("1"));
    setMtrResponse(settings.read(Keys::MeterResponse));
}

bool frmMonitor::openPortAtStart()
{
    if (m_port.isOpen())
        m_port.close();
    const QString stored = SettingsAccess(m_store).read(Keys::MeterComPort);
    const std::optional<int> number = portNumberFromText(stored);
    m_port.setPortNumber(number.value_or(0));
    m_port.setSettings(QStringLiteral("19200,n,8,1"));
    if (!m_port.open()) {
        // A number the port could not take is named as it was stored, so the user sees what
        // to correct.
        const QString tried = number ? QString::number(m_port.portNumber()) : stored.trimmed();
        m_messages.showMessage(this, windowTitle(), portUnavailableMessage(tried));
        return false;
    }
    m_port.setReadLength(0);
    if (!m_port.isOpen())
        m_port.open();
    return true;
}

QString frmMonitor::portUnavailableMessage(const QString &port)
{
    return QStringLiteral("COM ") + port + QStringLiteral(": not available. Check Comm Port setting.");
}

void frmMonitor::setMtrResponse(const QString &text)
{
    m_mtrResponse = text;
    m_poll->setPollInterval(effectivePollInterval(NumberText::toDouble(text)));
}

void frmMonitor::showStatusFrame(const QByteArray &frame)
{
    w.Picture5->show();
    w.Label2->setText(StatusFrame::text(frame));
    w.LabelFreq->setText(StatusFrame::frequencyText(frame));
    const std::optional<int> fahrenheit = StatusFrame::readNumber(frame, StatusFrame::temperature);
    if (!fahrenheit)
        return;
    w.LabelTemp->setText(StatusFrame::temperatureText(*fahrenheit, w.Check4->isChecked()));
}

int frmMonitor::outerHeight() const
{
    const int clientPixels = height() - menuBar()->sizeHint().height();
    return int(Twips::fromPixels(clientPixels)) + MonitorLayout::chromeHeight;
}

void frmMonitor::setOuterHeight(int twips)
{
    const int clientTwips = std::clamp(twips - MonitorLayout::chromeHeight, 0,
                                       MonitorLayout::extentHeight);
    setFixedHeight(Twips::toPixels(clientTwips) + menuBar()->sizeHint().height());
}

void frmMonitor::mnuNorm_Click() { changeView(MonitorLayout::normalHeight); }

void frmMonitor::mnuDiag_Click() { changeView(MonitorLayout::diagnosticHeight); }

void frmMonitor::changeView(int outerHeightTwips)
{
    setTimerEnabled(m_poll->Timer1, false);
    setOuterHeight(outerHeightTwips);
    setTimerEnabled(m_poll->Timer1, true);
}

void frmMonitor::mnuExit_Click() { close(); }

void frmMonitor::closeEvent(QCloseEvent *event)
{
    Form_Unload();
    event->accept();
}

void frmMonitor::Form_Unload()
{
    setTimerEnabled(m_poll->Timer1, false);
    setEnabled(false);
    QCoreApplication::quit();
}

QString frmMonitor::macroCaption(int index) const { return w.cmdMacro[index]->text(); }

QString frmMonitor::inputCaption(int index) const { return w.LblStatus[index]->text(); }

float frmMonitor::windowLeft() const { return float(Twips::fromPixels(x())); }

float frmMonitor::windowTop() const { return float(Twips::fromPixels(y())); }

float frmMonitor::windowHeight() const { return float(outerHeight()); }
