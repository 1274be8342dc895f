#include "FrameTitleStyle.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionGroupBox>
#include <algorithm>
#include <memory>

namespace {

// Room left and right of the title in the frame's top line.
constexpr int titleGap = 3;

// A copy to change the rectangle of, keeping what a frame option adds.
std::unique_ptr<QStyleOption> copyOf(const QStyleOption &option)
{
    if (const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(&option))
        return std::make_unique<QStyleOptionFrame>(*frame);
    return std::make_unique<QStyleOption>(option);
}

} // namespace

void FrameTitleStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                                         QPainter *painter, const QWidget *widget) const
{
    const auto *box = qstyleoption_cast<const QStyleOptionGroupBox *>(option);
    if (control != CC_GroupBox || !box || box->text.isEmpty()) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const QRect title = subControlRect(control, option, SC_GroupBoxLabel, widget);
    // The frame first, through the middle of the title and kept out of its place.
    QStyleOptionGroupBox frameOnly = *box;
    frameOnly.subControls &= ~SC_GroupBoxLabel;
    painter->save();
    painter->setClipRegion(
        QRegion(box->rect).subtracted(title.adjusted(-titleGap, 0, titleGap, 0)));
    m_lineAt = title.center().y();
    QProxyStyle::drawComplexControl(control, &frameOnly, painter, widget);
    m_lineAt = -1;
    painter->restore();
    QStyleOptionGroupBox titleOnly = *box;
    titleOnly.subControls &= ~SC_GroupBoxFrame;
    QProxyStyle::drawComplexControl(control, &titleOnly, painter, widget);
}

void FrameTitleStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option,
                                    QPainter *painter, const QWidget *widget) const
{
    if (element != PE_FrameGroupBox || m_lineAt < 0) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const int shift = option->rect.top() + lineOffset(*option, widget) - m_lineAt;
    if (shift <= 0) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const std::unique_ptr<QStyleOption> higher = copyOf(*option);
    higher->rect.setTop(option->rect.top() - shift);
    QProxyStyle::drawPrimitive(element, higher.get(), painter, widget);
}

int FrameTitleStyle::lineOffset(const QStyleOption &option, const QWidget *widget) const
{
    // The style places its line by the font, so one probe per font height will do.
    const int fontHeight = option.fontMetrics.height();
    if (const auto known = m_lineOffsets.constFind(fontHeight); known != m_lineOffsets.cend())
        return *known;
    QImage probe(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (probe.isNull())
        return 0;
    probe.fill(Qt::transparent);
    {
        QPainter painter(&probe);
        const std::unique_ptr<QStyleOption> at = copyOf(option);
        at->rect.moveTo(0, 0);
        QProxyStyle::drawPrimitive(PE_FrameGroupBox, at.get(), &painter, widget);
    }
    int offset = 0;
    const auto drawnOn = [&probe](int y) {
        const auto *line = reinterpret_cast<const QRgb *>(probe.constScanLine(y));
        return std::any_of(line, line + probe.width(), [](QRgb pixel) { return qAlpha(pixel); });
    };
    while (offset < probe.height() && !drawnOn(offset))
        ++offset;
    if (offset == probe.height())
        offset = 0;
    m_lineOffsets.insert(fontHeight, offset);
    return offset;
}
