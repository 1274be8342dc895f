#include "frmAbout.h"

#include "AboutText.h"
#include "Icons.h"
#include "SysInfo.h"
#include "Twips.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

namespace {

// The client area and the places of the controls, in twips.
constexpr int clientWidth = 5730;
constexpr int clientHeight = 3555;
constexpr QRect iconPlace(240, 240, 480, 480);
constexpr int textLeft = 1050;
constexpr int textWidth = 3885;
constexpr int titleTop = 240;
constexpr int titleHeight = 480;
constexpr int versionTop = 780;
constexpr int versionHeight = 225;
constexpr int descriptionTop = 1125;
constexpr int descriptionHeight = 1170;
constexpr int lineLeft = 225;
constexpr int lineRight = 5505;
constexpr int lineTop = 2430;
constexpr int buttonRight = 5505;
constexpr int buttonWidth = 1260;
constexpr int buttonHeight = 345;
constexpr int okTop = 2625;
constexpr int sysInfoTop = 3075;

constexpr int iconPixels = 32;

QFrame *lineOf(QWidget *parent, const QString &name, const QColor &color, int top)
{
    auto *line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, color);
    line->setPalette(palette);
    const int left = Twips::toPixels(lineLeft);
    line->setGeometry(left, Twips::toPixels(top), Twips::toPixels(lineRight) - left, 1);
    return line;
}

} // namespace

frmAbout::frmAbout(QWidget *owner, const AboutPlatform &platform)
    : QDialog(owner)
    , m_owner(owner)
    , m_platform(platform)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A dialog frame with a title and a close box only. As a dialog of its owner it has no
    // taskbar entry of its own and stays above the owner.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(Twips::toPixels(clientWidth), Twips::toPixels(clientHeight));
    setSizeGripEnabled(false);
    setModal(false);
    buildControls();
    Form_Load();
}

void frmAbout::buildControls()
{
    const QIcon icon = Icons::application();
    setWindowIcon(icon);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setGeometry(Twips::toPixels(iconPlace.x()), Twips::toPixels(iconPlace.y()), iconPixels,
                         iconPixels);
    picIcon->setPixmap(icon.pixmap(QSize(iconPixels, iconPixels), devicePixelRatio()));

    const auto textLabel = [this](const char *name, int top, int height) {
        auto *label = new QLabel(this);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(Twips::toPixels(textLeft), Twips::toPixels(top),
                           Twips::toPixels(textWidth), Twips::toPixels(height));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    lblTitle = textLabel("lblTitle", titleTop, titleHeight);
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = textLabel("lblVersion", versionTop, versionHeight);
    lblDescription = textLabel("lblDescription", descriptionTop, descriptionHeight);
    lblDescription->setWordWrap(true);
    lblDescription->setText(AboutText::description());

    // Grey over white reads as a groove cut into the face of the dialog.
    Line1[0] = lineOf(this, QStringLiteral("Line1_0"), QColor(128, 128, 128), lineTop);
    Line1[1] = lineOf(this, QStringLiteral("Line1_1"), QColor(255, 255, 255), lineTop + 15);

    // Made in this order, OK comes first in the focus chain. OK is the default button, so
    // Enter presses it unless another button has the focus; Escape presses it by way of
    // done().
    const auto button = [this](const char *name, const QString &text) {
        auto *push = new QPushButton(text, this);
        push->setObjectName(QString::fromLatin1(name));
        return push;
    };
    cmdOK = button("cmdOK", QStringLiteral("OK"));
    cmdOK->setDefault(true);
    cmdSysInfo = button("cmdSysInfo", QStringLiteral("&System Info..."));
    // One width for both, wider than designed when the font needs it, right edges aligned.
    const int width = std::max(
        {Twips::toPixels(buttonWidth), cmdOK->sizeHint().width(), cmdSysInfo->sizeHint().width()});
    const int left = Twips::toPixels(buttonRight) - width;
    const int height = std::max(Twips::toPixels(buttonHeight), cmdOK->sizeHint().height());
    cmdOK->setGeometry(left, Twips::toPixels(okTop), width, height);
    cmdSysInfo->setGeometry(left, Twips::toPixels(sysInfoTop), width, height);
    cmdSysInfo->setAccessibleName(QStringLiteral("System Info..."));
    picIcon->setAccessibleName(AboutText::applicationTitle);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    cmdOK->setFocus();
}

void frmAbout::Form_Load()
{
    setWindowTitle(AboutText::windowTitle(AboutText::applicationTitle));
    lblVersion->setText(AboutText::versionText(TARNWICK_VERSION_MAJOR, TARNWICK_VERSION_MINOR,
                                               TARNWICK_VERSION_PATCH));
    lblTitle->setText(AboutText::applicationTitle);
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo(m_platform, this);
}

void frmAbout::done(int result)
{
    setResult(result);
    close();
}

void frmAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_owner)
        return;
    // Disabling a widget disables its children, this window among them; a window can be
    // enabled on its own again, and the box must take input while its owner does not. Being
    // disabled for that moment took the focus from its button, so it is given back.
    QWidget *focus = focusWidget() ? focusWidget() : cmdOK;
    m_owner->setEnabled(false);
    setEnabled(true);
    focus->setFocus();
}

void frmAbout::closeEvent(QCloseEvent *event)
{
    // Not QDialog's handling, which would reject() and come back here through done().
    if (m_owner)
        m_owner->setEnabled(true);
    event->accept();
}
