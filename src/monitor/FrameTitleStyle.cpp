#include "FrameTitleStyle.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionGroupBox>

namespace {

// Room left and right of the title in the frame's top line.
constexpr int titleGap = 3;

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
    const std::unique_ptr<QStyleOption> higher(
        qstyleoption_cast<const QStyleOptionFrame *>(option)
            ? static_cast<QStyleOption *>(
                  new QStyleOptionFrame(*qstyleoption_cast<const QStyleOptionFrame *>(option)))
            : new QStyleOption(*option));
    higher->rect.setTop(option->rect.top() - shift);
    QProxyStyle::drawPrimitive(element, higher.get(), painter, widget);
}

int FrameTitleStyle::lineOffset(const QStyleOption &option, const QWidget *widget) const
{
    QImage probe(option.rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (probe.isNull())
        return 0;
    probe.fill(Qt::transparent);
    {
        QPainter painter(&probe);
        const std::unique_ptr<QStyleOption> at(
            qstyleoption_cast<const QStyleOptionFrame *>(&option)
                ? static_cast<QStyleOption *>(
                      new QStyleOptionFrame(*qstyleoption_cast<const QStyleOptionFrame *>(&option)))
                : new QStyleOption(option));
        at->rect.moveTo(0, 0);
        QProxyStyle::drawPrimitive(PE_FrameGroupBox, at.get(), &painter, widget);
    }
    for (int y = 0; y < probe.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(probe.constScanLine(y));
        for (int x = 0; x < probe.width(); ++x)
            if (qAlpha(line[x]) != 0)
                return y;
    }
    return 0;
}
