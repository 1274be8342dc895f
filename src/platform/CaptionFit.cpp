#include "CaptionFit.h"

#include <QFontMetrics>
#include <QWidget>

QString fitCaption(const QString &caption, const QFontMetrics &metrics, int width)
{
    return metrics.horizontalAdvance(caption) <= width
               ? caption
               : metrics.elidedText(caption, Qt::ElideRight, width);
}

void CaptionTip::follow(QWidget &widget, const QString &caption, int width)
{
    const QFont font = widget.font();
    if (caption == m_caption && width == m_width && font == m_font)
        return;
    m_caption = caption;
    m_width = width;
    m_font = font;
    const QFontMetrics metrics(font, &widget);
    if (fitCaption(caption, metrics, width) != caption) {
        widget.setToolTip(caption);
        m_tipIsCaption = true;
    } else if (m_tipIsCaption) {
        widget.setToolTip(QString());
        m_tipIsCaption = false;
    }
}
