#include "LampLabel.h"

#include "BgrColor.h"
#include "CaptionFit.h"
#include "OwnPainting.h"
#include "PanelAccessibility.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

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
    PanelAccessibility::install();
}

void LampLabel::setLit(bool lit)
{
    if (lit == m_lit)
        return;
    m_lit = lit;
    PanelAccessibility::checkedChanged(this);
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
    // palette changes only the ink, which is part of each face's key.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_faces.clear();
        m_tip.forget();
    }
    QLabel::changeEvent(event);
}

LampLabel::Key LampLabel::currentKey() const
{
    return {m_backColor, text(), inkPalette().color(foregroundRole()).rgba(), int(alignment())};
}

QPalette LampLabel::inkPalette() const
{
    // The lamp's colour is the board's state: its caption reads the same while a dialog
    // disables the window, as in an enabled one.
    QPalette ink = palette();
    ink.setCurrentColorGroup(QPalette::Active);
    return ink;
}

QRect LampLabel::captionArea() const
{
    const int m = margin();
    return contentsRect().adjusted(m, m, -m, -m);
}

void LampLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, face(OwnPainting::pixelRatio(painter, *this)));
    m_tip.follow(*this, text(), captionArea().width());
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
    const QRect area = captionArea();
    const Qt::LayoutDirection direction = textDirection(text());
    const int flags =
        int(QStyle::visualAlignment(direction, alignment())) |
        (direction == Qt::LeftToRight ? Qt::TextForceLeftToRight : Qt::TextForceRightToLeft);
    const QString caption = fitCaption(text(), painter.fontMetrics(), area.width());
    style()->drawItemText(&painter, area, flags, inkPalette(), true, caption, foregroundRole());
}
