#include "ColorButton.h"

#include "BgrColor.h"
#include "CaptionFit.h"
#include "OwnPainting.h"

#include <QEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

ColorButton::ColorButton(const QString &caption, quint32 backColor, QWidget *parent)
    : QAbstractButton(parent)
    , m_backColor(backColor)
{
    // No accessible name of its own: a screen reader then reads the caption, whole, also
    // after the user renames a macro.
    setText(caption);
    setFocusPolicy(Qt::StrongFocus);
}

bool ColorButton::event(QEvent *event)
{
    const bool handled = QAbstractButton::event(event);
    // The face covers every pixel of the button.
    OwnPainting::keepOpaque(*this, *event);
    return handled;
}

void ColorButton::setBackColor(quint32 color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    if (OwnPainting::withinWindow(*this))
        update();
}

QSize ColorButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 12, metrics.height() + 8};
}

void ColorButton::changeEvent(QEvent *event)
{
    // A new font or style changes how the caption is drawn: the kept faces are stale.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_faces.clear();
    QAbstractButton::changeEvent(event);
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const qreal ratio = OwnPainting::pixelRatio(painter, *this);

    // A pressed button lasts a moment only; it is drawn as it is, not kept.
    if (isDown())
        drawFace(painter, true);
    else
        painter.drawPixmap(0, 0, raisedFace(ratio));

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        option.backgroundColor = BgrColor::toColor(m_backColor);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

const QPixmap &ColorButton::raisedFace(qreal ratio)
{
    return m_faces.face({m_backColor, text()}, size(), ratio, [this](QPixmap &pixmap) {
        QPainter painter(&pixmap);
        painter.setFont(font());
        drawFace(painter, false);
    });
}

void ColorButton::drawFace(QPainter &painter, bool sunken)
{
    const QColor face = BgrColor::toColor(m_backColor);
    const QRect frame = rect().adjusted(0, 0, -1, -1);

    painter.fillRect(rect(), face);
    // A raised edge that sinks while pressed, so a click is felt although the colour stays.
    painter.setPen(sunken ? face.darker(170) : face.lighter(150));
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(sunken ? face.lighter(150) : face.darker(170));
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());

    // Black also while the window is disabled by a dialog: the colour is the board's state
    // and the caption must stay legible on it.
    painter.setPen(QColor(Qt::black));
    const QRect textRect = sunken ? rect().translated(1, 1) : rect();
    const QString caption = fitCaption(*this, text(), painter.fontMetrics(),
                                       width() - 2 * captionMargin, m_tipIsCaption);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
}
