#include "ColorButton.h"

#include "BgrColor.h"
#include "CaptionFit.h"
#include "OwnPainting.h"
#include "PanelAccessibility.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

namespace {

// Black or white, whichever stands out more against `face`: by the faces' relative
// luminance, where black wins from 0.179 up (bright green is light, pure red dark).
QColor contrasting(const QColor &face)
{
    const auto linear = [](qreal channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const qreal luminance = 0.2126 * linear(face.redF()) + 0.7152 * linear(face.greenF()) +
                            0.0722 * linear(face.blueF());
    return luminance > 0.179 ? QColor(Qt::black) : QColor(Qt::white);
}

} // namespace

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
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_faces.clear();
        m_tip.forget();
    }
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

    m_tip.follow(*this, text(), width() - 2 * captionMargin);

    if (hasFocus())
        drawFocusMark(painter);
}

void ColorButton::drawFocusMark(QPainter &painter) const
{
    // The style's dotted hairline vanishes on a coloured face: a solid ring, dark on a light
    // face and light on a dark one, inside the edge, where it hides no caption.
    const QColor mark = contrasting(BgrColor::toColor(m_backColor));
    painter.setPen(QPen(mark, focusMarkWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = 2.0 + focusMarkWidth / 2.0;
    painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

void ColorButton::nextCheckState()
{
    // A relay button shows the board's state: a click asks the board, and only the board's
    // answer changes what the button says.
    if (!m_showsState)
        QAbstractButton::nextCheckState();
}

void ColorButton::setShowsState(bool shows)
{
    m_showsState = shows;
    setCheckable(shows);
}

void ColorButton::setStateShown(bool on)
{
    if (!m_showsState || isChecked() == on)
        return;
    setChecked(on);
    PanelAccessibility::checkedChanged(this);
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
    const QString caption = fitCaption(text(), painter.fontMetrics(), width() - 2 * captionMargin);
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
}
