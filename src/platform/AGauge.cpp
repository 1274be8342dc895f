#include "AGauge.h"

#include "OwnPainting.h"
#include "PanelAccessibility.h"
#include "ScreenReader.h"
#include "Twips.h"

#include <QAccessible>
#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace GaugeScale {

bool isUsable(double minimum, double maximum)
{
    return std::isfinite(minimum) && std::isfinite(maximum) && maximum > minimum;
}

double fraction(double value, double minimum, double maximum)
{
    if (!isUsable(minimum, maximum) || std::isnan(value))
        return std::numeric_limits<double>::quiet_NaN();
    if (value <= minimum)
        return 0.0;
    if (value >= maximum)
        return 1.0;
    // Halved, so that ends near the limits of double cannot overflow the difference.
    const double span = maximum * 0.5 - minimum * 0.5;
    if (!(span > 0.0))
        return 0.0;
    return std::clamp((value * 0.5 - minimum * 0.5) / span, 0.0, 1.0);
}

double majorStep(double span)
{
    if (!(span > 0.0) || !std::isfinite(span))
        return 0.0;
    const double raw = span / 5.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    if (!(magnitude > 0.0) || !std::isfinite(magnitude))
        return span;
    const double normalised = raw / magnitude;
    for (const double nice : {1.0, 2.0, 2.5, 5.0}) {
        if (normalised <= nice * (1.0 + 1e-9))
            return nice * magnitude;
    }
    return 10.0 * magnitude;
}

} // namespace GaugeScale

namespace {

// The dial is laid out in a logical space of twice the designed size in pixels and scaled
// to the widget, keeping its proportions.
constexpr qreal logicalWidth = 210.0;
constexpr qreal logicalHeight = 114.0;
constexpr QPointF pivot(105.0, 100.0);
constexpr qreal startDegrees = 150.0; // the scale minimum, counter-clockwise from 3 o'clock
constexpr qreal sweepDegrees = 120.0; // clockwise from there to the maximum

constexpr qreal bandOuter = 84.0;
constexpr qreal bandInner = 76.0;
constexpr qreal bandMiddle = (bandOuter + bandInner) / 2.0;
// Tick set 0 stands outside the ring of annulars, tick set 1 inside it; neither crosses it,
// so the bands keep their colours up to the edges.
constexpr qreal outerTickMajor = 94.0;
constexpr qreal outerTickMinor = 90.0;
constexpr qreal innerTickMajor = 65.0;
constexpr qreal innerTickMinor = 70.0;
constexpr qreal tickGap = 1.5;
// Minor ticks closer than this along the arc merge into a smear: only the majors are drawn.
constexpr qreal minimumTickSpacing = 3.0;
constexpr int maximumMajorIntervals = 12;

constexpr qreal needleTip = 86.0;
constexpr qreal needleTail = 10.0;
constexpr qreal needleHalfWidth = 2.2;
constexpr qreal hubRadius = 7.0;

constexpr qreal labelPixels = 18.0;
constexpr qreal captionPixels = 18.0;
constexpr qreal minimumCaptionPixels = 13.0;
constexpr QRectF captionBox(50.0, 49.0, 110.0, 22.0);
constexpr qreal labelRadius = 50.0;

const QColor alarmColor(210, 30, 30);

qreal radians(qreal degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

QPointF polar(qreal degrees, qreal radius)
{
    const qreal a = radians(degrees);
    return {pivot.x() + radius * std::cos(a), pivot.y() - radius * std::sin(a)};
}

qreal degreesAt(double fraction)
{
    return startDegrees - fraction * sweepDegrees;
}

QRectF circle(qreal radius)
{
    return {pivot.x() - radius, pivot.y() - radius, 2 * radius, 2 * radius};
}

std::optional<double> readNumber(const QString &text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool sameNumber(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

QString numberText(double value)
{
    return QLocale::c().toString(value, 'g', 6);
}

QFont pixelFont(QFont font, qreal pixels, int weight = QFont::Normal)
{
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setWeight(QFont::Weight(weight));
    return font;
}

} // namespace

AGauge::AGauge(QWidget *parent)
    : QWidget(parent)
    , m_caption(QStringLiteral("Volts DC"))
{
    // Annulars 0 and 1 make a neutral track under the three colour bands, which start out
    // green, yellow and red; all five are empty until someone gives them a range.
    m_annulars[0].color = 0x00C0C0C0u;
    m_annulars[1].color = 0x00A0A0A0u;
    m_annulars[2].color = 0x00008000u;
    m_annulars[3].color = 0x0000FFFFu;
    m_annulars[4].color = 0x000000FFu;
    PanelAccessibility::install();
    ScreenReader::whenListening(this, [this] { describeNow(); });
    nameChanged();
    describe();
}

QSize AGauge::sizeHint() const
{
    return {Twips::toPixels(1575), Twips::toPixels(855)};
}

QSize AGauge::minimumSizeHint() const
{
    return {Twips::toPixels(1050), Twips::toPixels(570)};
}

void AGauge::setCaption(const QString &caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    dialChanged();
    nameChanged();
    describe();
}

void AGauge::setLabel(const QString &label)
{
    if (label == m_label)
        return;
    m_label = label;
    nameChanged();
}

void AGauge::nameChanged()
{
    // Rare (a rename in the setup dialog), so it is named at once, reader or not.
    const QString caption = m_caption.trimmed();
    if (m_label.isEmpty())
        setAccessibleName(caption);
    else
        setAccessibleName(caption.isEmpty() ? m_label : m_label + QStringLiteral(": ") + caption);
}

bool AGauge::setScaleMin(double value)
{
    if (!std::isfinite(value))
        return false;
    if (value != m_scaleMin) {
        m_scaleMin = value;
        dialChanged();
    }
    return true;
}

bool AGauge::setScaleMin(const QString &text)
{
    const auto value = readNumber(text);
    return value && setScaleMin(*value);
}

bool AGauge::setScaleMax(double value)
{
    if (!std::isfinite(value))
        return false;
    if (value != m_scaleMax) {
        m_scaleMax = value;
        dialChanged();
    }
    return true;
}

bool AGauge::setScaleMax(const QString &text)
{
    const auto value = readNumber(text);
    return value && setScaleMax(*value);
}

bool AGauge::setCurrentAnnular(int index)
{
    if (index < 0 || index >= annularCount)
        return false;
    m_currentAnnular = index;
    return true;
}

bool AGauge::setAnnularBound(double Annular::*bound, double value)
{
    if (!std::isfinite(value))
        return false;
    Annular &current = annular();
    if (current.*bound != value) {
        current.*bound = value;
        dialChanged();
    }
    return true;
}

bool AGauge::setAnnularStart(double value)
{
    return setAnnularBound(&Annular::start, value);
}

bool AGauge::setAnnularStart(const QString &text)
{
    const auto value = readNumber(text);
    return value && setAnnularStart(*value);
}

bool AGauge::setAnnularEnd(double value)
{
    return setAnnularBound(&Annular::end, value);
}

bool AGauge::setAnnularEnd(const QString &text)
{
    const auto value = readNumber(text);
    return value && setAnnularEnd(*value);
}

bool AGauge::setAnnularColor(quint32 bgr)
{
    if (bgr > maxBgr)
        return false;
    Annular &current = annular();
    if (current.color != bgr) {
        current.color = bgr;
        dialChanged();
    }
    return true;
}

bool AGauge::setAnnularColor(const QString &text)
{
    const auto value = readNumber(text);
    if (!value || *value < 0.0 || *value > double(maxBgr) || std::floor(*value) != *value)
        return false;
    return setAnnularColor(quint32(*value));
}

bool AGauge::setCurrentTickSet(int index)
{
    if (index < 0 || index >= tickSetCount)
        return false;
    m_currentTickSet = index;
    return true;
}

bool AGauge::setMinorTickCount(int count)
{
    if (count < 0 || count > maxMinorTickCount)
        return false;
    int &current = m_minorTickCounts.at(std::size_t(m_currentTickSet));
    if (current != count) {
        current = count;
        dialChanged();
    }
    return true;
}

bool AGauge::setMinorTickCount(const QString &text)
{
    // A fraction rounds half to even, as a 16-bit integer conversion of the text would.
    const auto value = readNumber(text);
    if (!value)
        return false;
    const double rounded = std::nearbyint(*value);
    if (rounded < 0.0 || rounded > double(maxMinorTickCount))
        return false;
    return setMinorTickCount(int(rounded));
}

void AGauge::setNeedleValue(double value)
{
    if (sameNumber(value, m_needleValue))
        return;
    // Only where the old needle was and the new one goes is painted again: everything else
    // of the dial is as it was.
    const QRect before = needleBounds(m_needleValue);
    m_needleValue = value;
    update(before | needleBounds(m_needleValue));
    describe();
    if (ScreenReader::listening()) {
        QAccessibleValueChangeEvent changed(this, valueText());
        QAccessible::updateAccessibility(&changed);
    }
}

AGauge::NeedlePose AGauge::needlePose(double value) const
{
    NeedlePose pose;
    if (std::isnan(value))
        return pose;
    double f = 0.0;
    if (GaugeScale::isUsable(m_scaleMin, m_scaleMax)) {
        f = GaugeScale::fraction(value, m_scaleMin, m_scaleMax);
        if (value < m_scaleMin)
            pose.pinned = NeedlePose::AtStart;
        else if (value > m_scaleMax)
            pose.pinned = NeedlePose::AtEnd;
    }
    pose.shown = true;
    pose.degrees = degreesAt(f);
    return pose;
}

QRect AGauge::needleBounds(double value) const
{
    // One rectangle: the window clips and composes a plain rectangle far faster than the
    // closer-fitting region of several, and the dial under it is only copied. A pixel of
    // margin takes the antialiased edges.
    QRectF logical = circle(hubRadius);
    const NeedlePose pose = needlePose(value);
    if (pose.shown) {
        const QPointF tip = polar(pose.degrees, needleTip);
        const QPointF tail = polar(pose.degrees + 180.0, needleTail);
        logical |= QRectF(tip, tail).normalized().adjusted(-needleHalfWidth, -needleHalfWidth,
                                                           needleHalfWidth, needleHalfWidth);
        if (pose.pinned != NeedlePose::Free) {
            const bool atEnd = pose.pinned == NeedlePose::AtEnd;
            logical |= rangeMark(atEnd).boundingRect();
        }
    }
    return logicalTransform().mapRect(logical).toAlignedRect().adjusted(-2, -2, 2, 2);
}

QPointF AGauge::dialPoint(double value, qreal radius) const
{
    double f = 0.0;
    if (GaugeScale::isUsable(m_scaleMin, m_scaleMax) && std::isfinite(value)) {
        const double span = m_scaleMax * 0.5 - m_scaleMin * 0.5;
        f = (value * 0.5 - m_scaleMin * 0.5) / span;
    }
    return logicalTransform().map(polar(degreesAt(f), radius * bandMiddle));
}

void AGauge::dialChanged()
{
    m_dialValid = false;
    m_stillLayers.clear();
    update();
}

QString AGauge::valueText() const
{
    return std::isnan(m_needleValue) ? tr("no reading") : numberText(m_needleValue);
}

QString AGauge::reading() const
{
    const QString value = valueText();
    return m_caption.isEmpty() ? value : m_caption + QStringLiteral(": ") + value;
}

void AGauge::describe()
{
    m_describedStale = true;
    // A tooltip on screen shows the reading it opened with until told otherwise.
    if (!m_tipShown.isEmpty()) {
        if (QToolTip::isVisible() && QToolTip::text() == m_tipShown) {
            describeNow();
            m_tipShown = toolTip();
            QToolTip::showText(m_tipAt, m_tipShown, this);
        } else {
            m_tipShown.clear();
        }
    }
    if (ScreenReader::listening())
        describeNow();
}

void AGauge::describeNow()
{
    if (!m_describedStale)
        return;
    m_describedStale = false;
    setToolTip(reading());
}

QColor AGauge::ink(QPalette::ColorRole role) const
{
    return palette().color(QPalette::Active, role);
}

bool AGauge::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        describeNow();
        m_tipShown = toolTip();
        m_tipAt = static_cast<QHelpEvent *>(event)->globalPos();
    }
    const bool handled = QWidget::event(event);
    // The dial covers every pixel of the gauge (see renderDial).
    OwnPainting::keepOpaque(*this, *event);
    return handled;
}

void AGauge::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::StyleChange:
        dialChanged();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

QTransform AGauge::logicalTransform() const
{
    const qreal scale = std::min(width() / logicalWidth, height() / logicalHeight);
    QTransform transform;
    transform.translate((width() - logicalWidth * scale) / 2.0,
                        (height() - logicalHeight * scale) / 2.0);
    transform.scale(scale, scale);
    return transform;
}

void AGauge::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    const qreal ratio = OwnPainting::pixelRatio(painter, *this);
    if (!m_dialValid || m_dialSize != size() || m_dialRatio != ratio)
        renderDial(ratio);
    painter.drawPixmap(0, 0, m_dial);

    painter.setRenderHint(QPainter::Antialiasing);
    drawNeedle(painter, ratio);
}

void AGauge::renderDial(qreal pixelRatio)
{
    const QSize pixels = (QSizeF(size()) * pixelRatio).toSize();
    QPixmap dial(pixels);
    dial.setDevicePixelRatio(pixelRatio);
    dial.fill(Qt::transparent);
    {
        QPainter painter(&dial);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setTransform(logicalTransform());
        drawDial(painter);
    }
    // The dial's rounded corners show the window behind it. Composed onto the window's
    // colour here, once, exactly as the window would compose it, the gauge covers every
    // pixel of its own, and nothing behind it is painted again when the needle moves.
    m_dial = QPixmap(pixels);
    m_dial.setDevicePixelRatio(pixelRatio);
    m_dial.fill(ink(QPalette::Window));
    QPainter(&m_dial).drawPixmap(0, 0, dial);
    m_dialSize = size();
    m_dialRatio = pixelRatio;
    m_dialValid = true;
    ++m_dialRenderCount;
}

void AGauge::drawDial(QPainter &painter) const
{
    const QColor face = ink(QPalette::Base);
    QLinearGradient shade(0.0, 0.0, 0.0, logicalHeight);
    shade.setColorAt(0.0, face.lighter(104));
    shade.setColorAt(1.0, face.darker(108));
    painter.setPen(QPen(ink(QPalette::Mid), 2.0));
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(1.0, 1.0, logicalWidth - 2.0, logicalHeight - 2.0), 9.0, 9.0);

    if (GaugeScale::isUsable(m_scaleMin, m_scaleMax)) {
        drawAnnulars(painter);
        drawTicks(painter);
    } else {
        // Nothing can be placed on a scale that does not rise: show an empty, dashed arc
        // and say why.
        QPen dashed(ink(QPalette::Mid), bandOuter - bandInner, Qt::DashLine, Qt::FlatCap);
        dashed.setDashPattern({0.5, 0.5});
        painter.setPen(dashed);
        painter.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.arcMoveTo(circle(bandMiddle), startDegrees);
        arc.arcTo(circle(bandMiddle), startDegrees, -sweepDegrees);
        painter.drawPath(arc);
        painter.setPen(alarmColor);
        painter.setFont(pixelFont(font(), labelPixels, QFont::Bold));
        painter.drawText(QRectF(50.0, 28.0, 110.0, 22.0), Qt::AlignCenter, tr("no scale"));
    }
    drawLabels(painter);
}

void AGauge::drawAnnulars(QPainter &painter) const
{
    painter.setBrush(Qt::NoBrush);
    for (const Annular &a : m_annulars) {
        // Reversed ends name the same range; what lies beyond the scale is not drawn.
        const double from = GaugeScale::fraction(std::min(a.start, a.end), m_scaleMin, m_scaleMax);
        const double to = GaugeScale::fraction(std::max(a.start, a.end), m_scaleMin, m_scaleMax);
        if (!(to > from))
            continue;
        painter.setPen(
            QPen(BgrColor::toColor(a.color), bandOuter - bandInner, Qt::SolidLine, Qt::FlatCap));
        QPainterPath arc;
        arc.arcMoveTo(circle(bandMiddle), degreesAt(from));
        arc.arcTo(circle(bandMiddle), degreesAt(from), -(to - from) * sweepDegrees);
        painter.drawPath(arc);
    }
}

void AGauge::drawTicks(QPainter &painter) const
{
    double low = m_scaleMin;
    double high = m_scaleMax;
    if (!std::isfinite(high - low)) {
        // Ticks only need their place along the dial, which halving both ends keeps.
        low *= 0.5;
        high *= 0.5;
    }
    const double span = high - low;
    const double step = GaugeScale::majorStep(span);
    if (!(step > 0.0))
        return;
    const double base = std::floor(low / step) * step;
    const int intervals =
        int(std::clamp(std::ceil((high - base) / step), 1.0, double(maximumMajorIntervals)));
    const double slack = step * 1e-9;
    const qreal arcLength = bandMiddle * radians(sweepDegrees);
    const QColor tickInk = ink(QPalette::Text);

    for (int set = 0; set < tickSetCount; ++set) {
        const qreal edge = set == 0 ? bandOuter + tickGap : bandInner - tickGap;
        const qreal majorEnd = set == 0 ? outerTickMajor : innerTickMajor;
        const qreal minorEnd = set == 0 ? outerTickMinor : innerTickMinor;
        // Too many minor ticks to tell apart are left out rather than drawn as a smear.
        long long perMajor = m_minorTickCounts.at(std::size_t(set)) + 1LL;
        if (arcLength * (step / span) / double(perMajor) < minimumTickSpacing)
            perMajor = 1;
        const long long total = intervals * perMajor;
        for (long long i = 0; i <= total; ++i) {
            const double value = base + step * (double(i) / double(perMajor));
            if (value < low - slack || value > high + slack)
                continue;
            const bool major = i % perMajor == 0;
            const qreal degrees = degreesAt(std::clamp((value - low) / span, 0.0, 1.0));
            painter.setPen(QPen(tickInk, major ? 2.2 : 1.5, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(polar(degrees, edge), polar(degrees, major ? majorEnd : minorEnd));
        }
    }
}

void AGauge::drawLabels(QPainter &painter) const
{
    painter.setPen(ink(QPalette::Text));

    if (GaugeScale::isUsable(m_scaleMin, m_scaleMax)) {
        // The scale ends, inside the arc under each end; a number too wide to fit there is
        // left out rather than drawn over the caption.
        const QFont labelFont = pixelFont(font(), labelPixels, QFont::Medium);
        painter.setFont(labelFont);
        const QFontMetricsF metrics(labelFont);
        const qreal room = 34.0;
        const std::array ends{std::pair{m_scaleMin, startDegrees},
                              std::pair{m_scaleMax, startDegrees - sweepDegrees}};
        for (const auto &[value, degrees] : ends) {
            const QString text = numberText(value);
            if (metrics.horizontalAdvance(text) > room)
                continue;
            const QPointF anchor = polar(degrees, labelRadius);
            painter.drawText(
                QRectF(anchor.x() - room / 2.0, anchor.y() - 2.0, room, labelPixels + 4.0),
                Qt::AlignHCenter | Qt::AlignTop, text);
        }
    }

    if (m_caption.isEmpty())
        return;
    // The caption shrinks to fit, down to a size that stays readable, then is elided.
    qreal pixels = captionPixels;
    QFont captionFont = pixelFont(font(), pixels, QFont::DemiBold);
    while (pixels > minimumCaptionPixels &&
           QFontMetricsF(captionFont).horizontalAdvance(m_caption) > captionBox.width()) {
        pixels -= 1.0;
        captionFont = pixelFont(font(), pixels, QFont::DemiBold);
    }
    painter.setFont(captionFont);
    const QString shown =
        QFontMetricsF(captionFont).elidedText(m_caption, Qt::ElideRight, captionBox.width());
    painter.drawText(captionBox, Qt::AlignCenter, shown);
}

QPolygonF AGauge::rangeMark(bool atEnd)
{
    // A small arrow just past the end where the needle is pinned, pointing away from the
    // scale.
    const qreal endDegrees = atEnd ? startDegrees - sweepDegrees : startDegrees;
    const qreal outward = atEnd ? -1.0 : 1.0;
    return {polar(endDegrees + outward * 11.0, bandMiddle),
            polar(endDegrees + outward * 3.0, bandMiddle - 7.0),
            polar(endDegrees + outward * 3.0, bandMiddle + 7.0)};
}

void AGauge::drawNeedle(QPainter &painter, qreal pixelRatio)
{
    const QColor needleInk = ink(QPalette::Text);
    const QTransform transform = logicalTransform();
    // The hub and the range marks stand still while the needle moves: they are composed
    // from kept layers, one per colour drawn, in the order they were drawn.
    const auto still = [&](StillLayer layer, const QRectF &logicalBounds, auto draw) {
        // A margin, so that nothing drawn is cut at the layer's edge.
        const QRect bounds =
            transform.mapRect(logicalBounds).toAlignedRect().adjusted(-3, -3, 3, 3);
        m_stillLayers.paint(painter, std::size_t(layer), pixelRatio, bounds, transform, draw);
    };

    // A NaN is no reading at all: the needle is hidden and only the hub shows.
    const NeedlePose pose = needlePose(m_needleValue);
    if (pose.shown) {
        if (pose.pinned != NeedlePose::Free) {
            const bool atEnd = pose.pinned == NeedlePose::AtEnd;
            still(atEnd ? StillLayer::EndMark : StillLayer::StartMark,
                  rangeMark(atEnd).boundingRect(), [atEnd](QPainter &p) {
                      p.setPen(Qt::NoPen);
                      p.setBrush(alarmColor);
                      p.drawPolygon(rangeMark(atEnd));
                  });
        }
        const qreal degrees = pose.degrees;
        const qreal across = degrees + 90.0;
        const QPointF tip = polar(degrees, needleTip);
        const QPointF tail = polar(degrees + 180.0, needleTail);
        const QPointF side(needleHalfWidth * std::cos(radians(across)),
                           -needleHalfWidth * std::sin(radians(across)));
        const QPointF tipSide = side * 0.3;
        painter.setTransform(transform);
        painter.setPen(Qt::NoPen);
        painter.setBrush(needleInk);
        painter.drawPolygon(QPolygonF{tail + side, tip + tipSide, tip - tipSide, tail - side});
        painter.resetTransform();
    }

    // Filled, then ringed, then its pivot: drawn with a pen and a brush at once, an ellipse
    // is filled and then stroked. The ring is drawn as it is: a pen this thin is drawn
    // segment by segment, and where two segments meet a pixel is drawn twice, which no
    // layer composes to the same rounding.
    const QRectF hub = circle(hubRadius);
    const QColor mid = ink(QPalette::Mid);
    still(StillLayer::HubFace, hub, [&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(needleInk);
        p.drawEllipse(hub);
    });
    painter.setTransform(transform);
    painter.setPen(QPen(mid, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(hub);
    painter.resetTransform();
    still(StillLayer::Pivot, hub, [&](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(mid);
        p.drawEllipse(circle(2.5));
    });
}
