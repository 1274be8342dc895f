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
    if (width == m_width && caption == m_caption)
        return;
    m_caption = caption;
    m_width = width;
    const QFontMetrics metrics(widget.font(), &widget);
    if (fitCaption(caption, metrics, width) != caption) {
        widget.setToolTip(caption);
        m_tipIsCaption = true;
    } else if (m_tipIsCaption) {
        widget.setToolTip(QString());
        m_tipIsCaption = false;
    }
}
