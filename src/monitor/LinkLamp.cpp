#include "LinkLamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace {

// Drawn at twice the size, so the lamp stays round on a high-density screen.
QPixmap lampImage(const QColor &color)
{
    const qreal ratio = 2.0;
    QPixmap pixmap(QSize(15, 15) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient glow(QPointF(5.5, 5.5), 8);
    glow.setColorAt(0, color.lighter(170));
    glow.setColorAt(1, color);
    painter.setBrush(glow);
    painter.setPen(QPen(color.darker(200), 1));
    painter.drawEllipse(QRectF(1.5, 1.5, 12, 12));
    return pixmap;
}

} // namespace

LinkLamp::LinkLamp(const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_color(color)
    , m_image(lampImage(color))
{}

void LinkLamp::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    m_image = lampImage(color);
    update();
}

void LinkLamp::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QSize size = m_image.deviceIndependentSize().toSize();
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, m_image);
}
