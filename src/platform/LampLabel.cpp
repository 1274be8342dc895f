#include "LampLabel.h"

#include "BgrColor.h"
#include "CaptionFit.h"
#include "OwnPainting.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

Qt::LayoutDirection textDirection(const QString &text)
{
    return text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

} // namespace

LampLabel::LampLabel(const QString &caption, quint32 backColor, QWidget *parent)
    : QLabel(caption, parent)
    , m_backColor(backColor)
{
    setTextFormat(Qt::PlainText);
}

bool LampLabel::event(QEvent *event)
{
    const bool handled = QLabel::event(event);
    // The face covers every pixel of the lamp.
    OwnPainting::keepOpaque(*this, *event);
    return handled;
}

void LampLabel::setBackColor(quint32 color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    update();
}

void LampLabel::changeEvent(QEvent *event)
{
    // A new font or style changes how the caption is drawn: the kept faces are stale. A new
    // palette or state changes only the ink, which is part of each face's key.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_faces.clear();
    QLabel::changeEvent(event);
}

LampLabel::Key LampLabel::currentKey() const
{
    // The ink as the caption is drawn: in the colour group of the label's present state.
    QStyleOption option;
    option.initFrom(this);
    return {m_backColor, text(), option.palette.color(foregroundRole()).rgba(), int(alignment())};
}

void LampLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, face(OwnPainting::pixelRatio(painter, *this)));
}

const QPixmap &LampLabel::face(qreal ratio)
{
    return m_faces.face(currentKey(), size(), ratio, [this](QPixmap &pixmap) { drawFace(pixmap); });
}

void LampLabel::drawFace(QPixmap &pixmap)
{
    pixmap.fill(BgrColor::toColor(m_backColor));

    // The caption as QLabel draws a plain, unwrapped text: its frame, then the text in the
    // contents rectangle less the margin, aligned for the text's own direction.
    QPainter painter(&pixmap);
    painter.setFont(font());
    painter.setLayoutDirection(layoutDirection());
    drawFrame(&painter);
    QStyleOption option;
    option.initFrom(this);
    const int m = margin();
    const QRect area = contentsRect().adjusted(m, m, -m, -m);
    const Qt::LayoutDirection direction = textDirection(text());
    const int flags =
        int(QStyle::visualAlignment(direction, alignment())) |
        (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
    const QString caption =
        fitCaption(*this, text(), painter.fontMetrics(), area.width(), m_tipIsCaption);
    style()->drawItemText(&painter, area, flags, option.palette, isEnabled(), caption,
                          foregroundRole());
}
