#include "ColorButton.h"

#include "BgrColor.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

ColorButton::ColorButton(const QString &caption, quint32 backColor, QWidget *parent)
    : QAbstractButton(parent)
    , m_backColor(backColor)
{
    setText(caption);
    setAccessibleName(caption);
    setFocusPolicy(Qt::StrongFocus);
}

void ColorButton::setBackColor(quint32 color)
{
    if (color == m_backColor)
        return;
    m_backColor = color;
    update();
}

QSize ColorButton::sizeHint() const
{
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + 12, metrics.height() + 8};
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor face = BgrColor::toColor(m_backColor);
    const QRect frame = rect().adjusted(0, 0, -1, -1);

    painter.fillRect(rect(), face);
    // A raised edge that sinks while pressed, so a click is felt although the colour stays.
    const bool sunken = isDown();
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
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(3, 3, -3, -3);
        option.backgroundColor = face;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}
