#include "MonitorLayout.h"

#include "AGauge.h"
#include "AnalogOutputs.h"
#include "BgrColor.h"
#include "ColorButton.h"
#include "CommandFrames.h"
#include "FirstEvent.h"
#include "FrameTitleStyle.h"
#include "LampLabel.h"
#include "LinkLamp.h"
#include "LinkText.h"
#include "PanelNames.h"
#include "Twips.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

const QColor staleGrey(128, 128, 128);

template<typename W>
W *place(W *widget, const QString &name, int left, int top, int width, int height)
{
    widget->setObjectName(name);
    widget->setGeometry(Twips::rect(left, top, width, height));
    return widget;
}

QString indexed(const char *name, int index)
{
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}

QLabel *label(QWidget *parent, const QString &name, const QString &caption, int left, int top,
              int width, int height, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *widget = place(new QLabel(caption, parent), name, left, top, width, height);
    widget->setAlignment(alignment);
    widget->setTextFormat(Qt::PlainText);
    return widget;
}

// A check box of 255 x 255 twips: the box alone shows, its label stands beside it. The
// label is the box's buddy, so assistive technology names the box by the label's text.
QCheckBox *checkBox(QWidget *parent, const QString &name, QLabel *label, int left, int top)
{
    auto *box = place(new QCheckBox(parent), name, left, top, 255, 255);
    label->setBuddy(box);
    return box;
}

LinkLamp *lamp(QWidget *parent, const QString &name, const QColor &color)
{
    return place(new LinkLamp(color, parent), name, 11280, 2400, 255, 255);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    if (palette.color(QPalette::Active, QPalette::WindowText) == color)
        return;
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

// Arial (Liberation Sans on Linux) at a size given in twips (20 twips to the point): sized
// in the same logical pixels as the layout, it keeps its place whatever the desktop's font
// and dots per inch, and Qt scales both alike for dense screens.
QFont designFont(int twips)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(Twips::toPixels(twips));
    return font;
}

QLabel *readout(QWidget *parent, const QString &name, int left, int width)
{
    auto *widget =
        label(parent, name, QStringLiteral("0"), left, 2280, width, 495, Qt::AlignCenter);
    widget->setFont(designFont(360)); // 18 pt
    setTextColor(widget, BgrColor::toColor(MonitorLayout::readoutTextColor));
    MonitorLayout::setBackColor(widget, MonitorLayout::readoutBackColor);
    return widget;
}

QSlider *slider(QWidget *parent, const QString &name, int left, int value)
{
    auto *bar = place(new QSlider(Qt::Vertical, parent), name, left, 390, 255, 1500);
    // 255 at the top, 0 at the bottom; an arrow key moves by 1, a click in the track by 10.
    // The value is taken when the handle is released, not while it is dragged.
    bar->setRange(0, 255);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setTracking(false);
    bar->setValue(value);
    return bar;
}

void buildRelayBanks(QGroupBox *frame, int firstBank, MonitorWidgets &w)
{
    for (int row = 0; row < 4; ++row) {
        const int bank = firstBank + row;
        const char letter = CommandFrames::bankLetters[bank];
        for (int position = 0; position < 8; ++position) {
            const QString caption = QStringLiteral("R%1").arg(8 * bank + position + 1);
            auto *button = new ColorButton(caption, MonitorLayout::designColor, frame);
            button->setShowsState(true);
            place(button, QStringLiteral("cmdRelay%1_%2").arg(QLatin1Char(letter)).arg(position),
                  135 + 480 * position, 240 + 360 * row, 450, 300);
            w.cmdRelay[bank][position] = button;
        }
    }
}

} // namespace

namespace MonitorLayout {

void showValuesStale(MonitorWidgets &w, bool stale)
{
    const QColor readout = BgrColor::toColor(readoutTextColor);
    setTextColor(w.LabelFreq, stale ? readout.darker(200) : readout);
    setTextColor(w.LabelTemp, stale ? readout.darker(200) : readout);
    setTextColor(w.Label2, stale ? staleGrey : w.Label18->palette().color(QPalette::WindowText));
}

unsigned backColor(const QWidget *widget)
{
    if (const auto *lampLabel = qobject_cast<const LampLabel *>(widget))
        return lampLabel->backColor();
    return BgrColor::fromColor(widget->palette().color(QPalette::Window));
}

void setBackColor(QWidget *widget, unsigned bgr)
{
    if (auto *lampLabel = qobject_cast<LampLabel *>(widget)) {
        lampLabel->setBackColor(bgr);
        return;
    }
    widget->setAutoFillBackground(true);
    if (backColor(widget) == bgr)
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, BgrColor::toColor(bgr));
    widget->setPalette(palette);
}

MonitorWidgets build(QWidget *client)
{
    MonitorWidgets w;
    client->setFixedSize(Twips::toPixels(clientWidth), Twips::toPixels(extentHeight));
    // The layout was drawn for an 8 pt font; a larger desktop font would clip the captions.
    client->setFont(designFont(160));

    // Macros: eight rows of four.
    w.Frame6 = place(new QGroupBox(QStringLiteral("Macros"), client), QStringLiteral("Frame6"), 240,
                     120, 4935, 4335);
    for (int i = 0; i < 32; ++i) {
        auto *button = new ColorButton(PanelNames::designName(PanelNames::Kind::Macro, i),
                                       macroColor, w.Frame6);
        w.cmdMacro[i] = place(button, indexed("cmdMacro", i), 120 + 1200 * (i % 4),
                              360 + 480 * (i / 4), 1125, 300);
    }

    // Meters: two rows of three.
    static constexpr int gaugeLefts[3] = {5280, 6960, 8640};
    for (int m = 0; m < 6; ++m) {
        w.AGauge1[m] = place(new AGauge(client), indexed("AGauge1", m), gaugeLefts[m % 3],
                             m < 3 ? 240 : 1200, 1575, 855);
        w.AGauge1[m]->setLabel(QStringLiteral("Meter %1").arg(m + 1));
    }

    // Analog outputs, right of the gauges.
    w.Label10 = label(client, QStringLiteral("Label10"), QStringLiteral("0.00"), 10275, 120, 720,
                      255, Qt::AlignCenter);
    w.VScroll1 = slider(client, QStringLiteral("VScroll1"), 10507, AnalogOutputs::designValues[0]);
    w.Label9 =
        label(client, QStringLiteral("Label9"), PanelNames::designName(PanelNames::Kind::Output, 0),
              10245, 1920, 780, 480, Qt::AlignHCenter | Qt::AlignTop);
    w.Label9->setWordWrap(true);
    w.Label11 = label(client, QStringLiteral("Label11"), QStringLiteral("0.00"), 11070, 120, 720,
                      255, Qt::AlignCenter);
    w.VScroll2 = slider(client, QStringLiteral("VScroll2"), 11302, AnalogOutputs::designValues[1]);
    w.Label12 = label(client, QStringLiteral("Label12"),
                      PanelNames::designName(PanelNames::Kind::Output, 1), 11040, 1920, 780, 480,
                      Qt::AlignHCenter | Qt::AlignTop);
    w.Label12->setWordWrap(true);
    // Each output's name labels its slider, for assistive technology too, as it changes.
    w.Label9->setBuddy(w.VScroll1);
    w.Label12->setBuddy(w.VScroll2);

    // Readouts.
    w.LabelFreq = readout(client, QStringLiteral("LabelFreq"), 5280, 1095);
    w.LabelTemp = readout(client, QStringLiteral("LabelTemp"), 6480, 855);
    // Named for what they read; the reading itself is their description (see
    // MonitorAccessibility), as it is the text a sighted user sees.
    w.LabelFreq->setAccessibleName(QStringLiteral("Frequency"));
    w.LabelTemp->setAccessibleName(QStringLiteral("Temperature"));

    // Option row.
    w.Label7 = label(client, QStringLiteral("Label7"), QStringLiteral("Deg C"), 7335, 2400, 540,
                     255, Qt::AlignRight | Qt::AlignVCenter);
    w.Check4 = checkBox(client, QStringLiteral("Check4"), w.Label7, 7920, 2400);
    w.Label8 = label(client, QStringLiteral("Label8"), QStringLiteral("On Top"), 8280, 2400, 660,
                     255, Qt::AlignRight | Qt::AlignVCenter);
    w.chkOnTop = checkBox(client, QStringLiteral("chkOnTop"), w.Label8, 9000, 2400);
    w.Label3 = label(client, QStringLiteral("Label3"), QStringLiteral("WDT"), 9360, 2400, 540, 255,
                     Qt::AlignRight | Qt::AlignVCenter);
    w.chkWDT = checkBox(client, QStringLiteral("chkWDT"), w.Label3, 9960, 2400);
    w.Label1 = label(client, QStringLiteral("Label1"), QStringLiteral("Connect"), 10380, 2400, 840,
                     255, Qt::AlignRight | Qt::AlignVCenter);
    w.Picture2 =
        lamp(client, QStringLiteral("Picture2"), LinkText::lampColor(LinkState::State::Never));
    w.Picture5 =
        lamp(client, QStringLiteral("Picture5"), LinkText::lampColor(LinkState::State::Live));
    w.Picture5->hide();
    // Both lamps are named by the caption beside them; their description is the link's state.
    for (LinkLamp *linkLamp : {w.Picture2, w.Picture5})
        linkLamp->setAccessibleName(w.Label1->text());

    // Inputs: two columns of four lamps.
    w.Frame4 = place(new QGroupBox(QStringLiteral("Input Status"), client),
                     QStringLiteral("Frame4"), 5280, 2760, 2055, 1680);
    for (int k = 0; k < 8; ++k) {
        auto *lampLabel =
            place(new LampLabel(PanelNames::designName(PanelNames::Kind::Input, k), designColor,
                                w.Frame4),
                  indexed("LblStatus", k), 120 + 960 * (k / 4), 300 + 330 * (k % 4), 855, 255);
        lampLabel->setAlignment(Qt::AlignCenter);
        w.LblStatus[k] = lampLabel;
    }
    // The readouts reach one pixel into the top of "Input Status". Above the frame, they
    // repaint alone; under it, each new reading would repaint the whole frame as well.
    w.LabelFreq->raise();
    w.LabelTemp->raise();

    // Relays.
    w.Frame3 = place(new QGroupBox(QStringLiteral("Relay Status"), client),
                     QStringLiteral("Frame3"), 7560, 2760, 4095, 1695);
    w.Frame1 = place(new QGroupBox(QStringLiteral("Relay Status"), client),
                     QStringLiteral("Frame1"), 7560, 4680, 4095, 1695);
    buildRelayBanks(w.Frame3, 0, w);
    buildRelayBanks(w.Frame1, 4, w);
    auto *frameStyle = new FrameTitleStyle;
    frameStyle->setParent(client);
    for (QGroupBox *frame : {w.Frame6, w.Frame4, w.Frame3, w.Frame1})
        frame->setStyle(frameStyle);

    // Received string.
    w.Label18 = label(client, QStringLiteral("Label18"), QStringLiteral("Received String"), 240,
                      4680, 2400, 255);
    w.Label2 = label(client, QStringLiteral("Label2"), QStringLiteral("test"), 240, 5040, 7215,
                     1335, Qt::AlignLeft | Qt::AlignTop);
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(8);
    w.Label2->setFont(fixed);
    w.Label2->setWordWrap(true);
    w.Label2->setFrameShape(QFrame::StyledPanel);
    // It fills its own background, the window's colour: a new string then repaints the
    // line alone, not the window behind it.
    w.Label2->setAutoFillBackground(true);
    // Selectable once first painted: a selectable label keeps a text document behind it, whose
    // making (with its font's first glyphs) costs a tenth of building the window; a label the
    // window's view cuts off is never painted, and cannot be clicked, until the view shows it.
    onFirstEvent(w.Label2, QEvent::Paint,
                 [label = w.Label2] { label->setTextInteractionFlags(Qt::TextSelectableByMouse); });

    // Debug strip.
    w.Text1 = place(new QLineEdit(client), QStringLiteral("Text1"), 240, 7200, 2055, 285);
    w.Text1->setAccessibleName(QStringLiteral("Relay list"));
    for (int i = 0; i < 6; ++i) {
        w.Text2[i] =
            place(new QLineEdit(client), indexed("Text2", i), 2400 + 720 * i, 7200, 660, 285);
        w.Text2[i]->setAccessibleName(QStringLiteral("Field %1").arg(i + 1));
    }
    w.Command1 = place(new QPushButton(QStringLiteral("Cmd"), client), QStringLiteral("Command1"),
                       6840, 7200, 615, 285);
    return w;
}

} // namespace MonitorLayout
