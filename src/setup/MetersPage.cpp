#include "MetersPage.h"

#include "AGauge.h"
#include "ColorPicker.h"
#include "FirstEvent.h"
#include "NumberBox.h"
#include "NumberText.h"
#include "PreferenceHolders.h"
#include "Preferences.h"
#include "SettingsKeys.h"
#include "SetupHost.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <limits>

namespace {

using NumberText::fromDouble;

template<typename T>
T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit *valueBox(QWidget *parent, const char *name, const QString &text)
{
    auto *box = named(new QLineEdit(text, parent), name);
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QLabel *caption(const QString &text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QScrollBar *slider(const char *name, MeterValues::SliderRange range, int pageStep, int position,
                   const QString &accessibleName)
{
    auto *bar = named(new QScrollBar(Qt::Horizontal), name);
    bar->setRange(range.minimum, range.maximum);
    bar->setSingleStep(1);
    bar->setPageStep(pageStep);
    bar->setValue(position);
    bar->setAccessibleName(accessibleName);
    // A scroll bar takes no focus of its own; these are the page's only way to set the
    // value, so the keyboard reaches them (Tab, then the arrow and page keys).
    bar->setFocusPolicy(Qt::StrongFocus);
    // A scroll bar's keys run as for scrolling a view (Right lowers the value); as a value
    // control, Right, Up and Page Up raise it, as on a slider.
    bar->setInvertedControls(false);
    return bar;
}

QLabel *valueDisplay(const char *name, const QString &text)
{
    auto *label = named(new QLabel(text), name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(80);
    return label;
}

} // namespace

MetersPage::MetersPage(SetupHost &host, SettingsStore &store, ColorPicker &colors, QWidget *parent)
    : QWidget(parent)
    , m_host(host)
    , m_store(store)
    , m_colors(colors)
{
    build();
    connectControls();
}

void MetersPage::build()
{
    // Left: which meter, its title and its scale.
    Combo1 = named(new QComboBox(this), "Combo1");
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    for (int m = 1; m <= MeterValues::meterCount; ++m)
        Combo1->addItem(QStringLiteral("Meter %1").arg(m));
    Combo1->setEditText(QStringLiteral("Meter 1"));

    Text1 = valueBox(this, "Text1", QStringLiteral("Volts DC"));
    // Bold from its polish on, which comes before it is first laid out or shown: a font of its
    // own costs the font's loading, which the hidden dialog the panel starts with need not pay.
    onFirstEvent(Text1, QEvent::Polish, [title = Text1] {
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
    });

    Text8 = valueBox(this, "Text8", QStringLiteral("0"));
    Text9 = valueBox(this, "Text9", QStringLiteral("5"));
    Command12 = named(new QPushButton(QStringLiteral("Apply")), "Command12");
    auto *scale = new QGroupBox;
    auto *scaleGrid = new QGridLayout(scale);
    scaleGrid->addWidget(caption(QStringLiteral("Zero Value"), Text8), 0, 0);
    scaleGrid->addWidget(Text8, 1, 0);
    scaleGrid->addWidget(caption(QStringLiteral("Full Scale Value"), Text9), 0, 1);
    scaleGrid->addWidget(Text9, 1, 1);
    scaleGrid->addWidget(Command12, 2, 1, Qt::AlignRight);

    auto *left = new QVBoxLayout;
    left->addWidget(caption(QStringLiteral("Select Meter to Setup"), Combo1));
    left->addWidget(Combo1);
    left->addSpacing(8);
    left->addWidget(caption(QStringLiteral("Enter Title"), Text1));
    left->addWidget(Text1);
    left->addSpacing(8);
    left->addWidget(scale);
    left->addStretch();

    // Middle: the three colour bands, each with its colour button left of its end value.
    auto *bands = new QGroupBox(QStringLiteral("Setup Color Bands"));
    auto *bandGrid = new QGridLayout(bands);
    Text3 = valueBox(this, "Text3", QStringLiteral("2"));
    Text5 = valueBox(this, "Text5", QStringLiteral("4"));
    Text7 = valueBox(this, "Text7", QStringLiteral("5"));
    Command4 = named(new QPushButton(QStringLiteral("Color")), "Command4");
    Command5 = named(new QPushButton(QStringLiteral("Color")), "Command5");
    Command6 = named(new QPushButton(QStringLiteral("Color")), "Command6");
    const std::array<QLineEdit *, 3> ends{Text3, Text5, Text7};
    const std::array<QPushButton *, 3> colorButtons{Command4, Command5, Command6};
    for (int band = 0; band < 3; ++band) {
        colorButtons[band]->setAccessibleName(QStringLiteral("Color %1").arg(band + 1));
        bandGrid->addWidget(
            caption(QStringLiteral("Color Band %1 - End Value").arg(band + 1), ends[band]),
            2 * band, 1);
        bandGrid->addWidget(colorButtons[band], 2 * band + 1, 0);
        bandGrid->addWidget(ends[band], 2 * band + 1, 1);
        bandGrid->setRowMinimumHeight(2 * band + 1, 30);
    }
    Command10 = named(new QPushButton(QStringLiteral("Apply")), "Command10");
    bandGrid->addWidget(Command10, 6, 1, Qt::AlignRight);
    bandGrid->setColumnStretch(1, 1);

    // Right: divisions, multiplier and poll period.
    HScroll2 = slider("HScroll2", MeterValues::divisionsRange, 1, 0, QStringLiteral("Divisions"));
    auto *divisions = new QGroupBox(QStringLiteral("Divisions"));
    (new QVBoxLayout(divisions))->addWidget(HScroll2);

    HScroll4 =
        slider("HScroll4", MeterValues::multiplierRange, 10, 100, QStringLiteral("Multiplier"));
    Label8 = valueDisplay("Label8", QStringLiteral("1"));
    auto *multiplier = new QGroupBox(QStringLiteral("Multiplier"));
    auto *multiplierColumn = new QVBoxLayout(multiplier);
    multiplierColumn->addWidget(Label8, 0, Qt::AlignHCenter);
    multiplierColumn->addWidget(HScroll4);

    HScroll3 =
        slider("HScroll3", MeterValues::pollPeriodRange, 100, 2000, QStringLiteral("Poll Rate"));
    HScroll3->setSingleStep(10);
    Label6 = valueDisplay("Label6", QString());
    auto *poll = new QGroupBox(QStringLiteral("Poll Rate  msec"));
    auto *pollColumn = new QVBoxLayout(poll);
    pollColumn->addWidget(Label6, 0, Qt::AlignHCenter);
    pollColumn->addWidget(HScroll3);

    auto *right = new QVBoxLayout;
    right->addWidget(divisions);
    right->addWidget(multiplier);
    right->addWidget(poll);
    right->addStretch();

    auto *middle = new QVBoxLayout;
    middle->addWidget(bands);
    middle->addStretch();

    auto *page = new QHBoxLayout(this);
    page->setSpacing(12);
    page->addLayout(left, 5);
    page->addLayout(middle, 6);
    page->addLayout(right, 5);
}

void MetersPage::connectControls()
{
    connect(Combo1, &QComboBox::activated, this, &MetersPage::Combo1_Click);
    connect(Text1, &QLineEdit::textChanged, this, &MetersPage::Text1_Change);
    connect(HScroll2, &QScrollBar::valueChanged, this, &MetersPage::HScroll2_Change);
    connect(HScroll4, &QScrollBar::valueChanged, this, &MetersPage::HScroll4_Change);
    connect(HScroll3, &QScrollBar::valueChanged, this, &MetersPage::HScroll3_Change);
    connect(Command4, &QPushButton::clicked, this, &MetersPage::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &MetersPage::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &MetersPage::Command6_Click);
    connect(Command10, &QPushButton::clicked, this, &MetersPage::Command10_Click);
    connect(Command12, &QPushButton::clicked, this, &MetersPage::Command12_Click);
    for (QLineEdit *box : {Text3, Text5, Text7, Text8, Text9})
        connect(box, &QLineEdit::textChanged, this, [box] { NumberBox::showWhetherNumber(box); });
}

AGauge &MetersPage::gauge(int m) const
{
    return m_host.holders().gauge(m);
}

void MetersPage::setSlider(QScrollBar *slider, MeterValues::SliderPosition position)
{
    const QSignalBlocker quiet(position.exact ? nullptr : slider);
    slider->setValue(position.value);
}

void MetersPage::showBandsAndScale(AGauge &g)
{
    const std::array<QLineEdit *, 3> ends{Text3, Text5, Text7};
    for (int band = 0; band < 3; ++band) {
        g.setCurrentAnnular(band + 2);
        ends[band]->setText(fromDouble(g.annularEnd()));
    }
    Text8->setText(fromDouble(g.scaleMin()));
    Text9->setText(fromDouble(g.scaleMax()));
}

void MetersPage::Load()
{
    m_currentMeter = 0;
    AGauge &g = gauge(0);
    Text1->setText(g.caption());
    showBandsAndScale(g);

    const QScopedValueRollback loading(m_loading, true);
    const SettingsAccess settings(m_store);
    setSlider(HScroll2, MeterValues::divisionsPosition(settings.read(Keys::TicSubCountGauge, 0),
                                                       g.minorTickCount()));
    setSlider(HScroll3, MeterValues::pollPeriodPosition(settings.read(Keys::MeterResponse)));
    Label6->setText(QString::number(HScroll3->value()));
    Label8->setText(m_host.preferences().mtr_multiplier(0));
    // The slider's reaction would store the multiplier in its own form (" 5" as "5", "1.234"
    // as "1.23"): at load it runs only for a text already in that form, which it leaves as it
    // is. Until the user moves the slider the stored text stays as written.
    const QString multiplier = settings.read(Keys::Multiplier, 0);
    MeterValues::SliderPosition position = MeterValues::multiplierPosition(multiplier);
    position.exact = position.exact && MeterValues::multiplierText(position.value) == multiplier;
    setSlider(HScroll4, position);
}

void MetersPage::Combo1_Click()
{
    const std::optional<int> meter = MeterValues::meterFromListText(Combo1->currentText());
    if (!meter)
        return;
    m_currentMeter = *meter;
    AGauge &g = gauge(m_currentMeter);
    Text1->setText(g.caption());
    showBandsAndScale(g);
    setSlider(HScroll2, MeterValues::divisionsPosition(double(g.minorTickCount())));
    Preferences &preferences = m_host.preferences();
    preferences.GetMultiplier();
    const QString multiplier = preferences.mtr_multiplier(m_currentMeter);
    setSlider(HScroll4, MeterValues::multiplierPosition(multiplier));
    Label8->setText(multiplier);
}

void MetersPage::Text1_Change()
{
    // The title goes to the meter the list's text names, whether chosen or typed.
    if (const std::optional<int> meter = MeterValues::meterFromListText(Combo1->currentText()))
        gauge(*meter).setCaption(Text1->text());
}

void MetersPage::HScroll2_Change()
{
    AGauge &g = gauge(m_currentMeter);
    for (int set = 0; set < AGauge::tickSetCount; ++set) {
        g.setCurrentTickSet(set);
        g.setMinorTickCount(HScroll2->value());
    }
}

void MetersPage::HScroll4_Change()
{
    const QString factor = MeterValues::multiplierText(HScroll4->value());
    Label8->setText(factor);
    SettingsAccess(m_store).save(Keys::Multiplier, m_currentMeter, factor);
    m_host.preferences().GetMultiplier();
}

void MetersPage::HScroll3_Change()
{
    m_host.holders().setMtrResponse(QString::number(HScroll3->value()));
    Label6->setText(m_host.holders().mtrResponse());
    if (!m_loading)
        m_host.preferences().SaveSettings();
}

void MetersPage::colorClick(int band)
{
    const std::optional<quint32> chosen = m_colors.pickColor(this, m_pickerColor);
    // Cancelled: the band keeps its colour.
    if (!chosen)
        return;
    m_pickerColor = *chosen;
    AGauge &g = gauge(m_currentMeter);
    g.setCurrentAnnular(band + 1);
    g.setAnnularColor(*chosen);
}

bool MetersPage::applyBands()
{
    bool numbers = true;
    for (QLineEdit *box : {Text8, Text3, Text5, Text7})
        numbers = NumberBox::showWhetherNumber(box) && numbers;
    if (!numbers)
        return false;
    const auto value = [](const QLineEdit *box) {
        return *NumberText::toDouble(box->text());
    };
    AGauge &g = gauge(m_currentMeter);
    g.setCurrentAnnular(2);
    g.setAnnularEnd(value(Text3));
    g.setAnnularStart(value(Text8));
    g.setCurrentAnnular(3);
    g.setAnnularStart(value(Text3));
    g.setAnnularEnd(value(Text5));
    g.setCurrentAnnular(4);
    g.setAnnularStart(value(Text5));
    g.setAnnularEnd(value(Text7));
    return true;
}

void MetersPage::Command10_Click()
{
    if (applyBands())
        m_host.preferences().SaveSettings();
}

void MetersPage::Command12_Click()
{
    const bool zeroIsNumber = NumberBox::showWhetherNumber(Text8);
    const bool fullIsNumber = NumberBox::showWhetherNumber(Text9);
    const std::optional<MeterValues::BandEnds> ends =
        MeterValues::dividedBands(Text8->text(), Text9->text());
    if (!zeroIsNumber || !fullIsNumber || !ends)
        return;
    const double z = *NumberText::toDouble(Text8->text());
    const double f = *NumberText::toDouble(Text9->text());
    AGauge &g = gauge(m_currentMeter);
    g.setScaleMin(z);
    g.setScaleMax(f);
    g.setScaleMin(z);
    for (int annular = 0; annular < 2; ++annular) {
        g.setCurrentAnnular(annular);
        g.setAnnularStart(z);
        g.setAnnularEnd(f);
    }
    Text3->setText(ends->band1);
    Text5->setText(ends->band2);
    Text7->setText(ends->band3);
    g.setCurrentAnnular(2);
    g.setAnnularStart(z);
    // The bands' other limits and the save-all follow in the band Apply.
    Command10_Click();
}
