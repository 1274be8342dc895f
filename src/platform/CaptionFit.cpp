#include "CaptionFit.h"

#include <QFontMetrics>
#include <QWidget>

QString fitCaption(QWidget &widget, const QString &caption, const QFontMetrics &metrics, int width,
                   bool &tipIsCaption)
{
    const QString shown = metrics.horizontalAdvance(caption) <= width
                              ? caption
                              : metrics.elidedText(caption, Qt::ElideRight, width);
    if (shown != caption) {
        widget.setToolTip(caption);
        tipIsCaption = true;
    } else if (tipIsCaption) {
        widget.setToolTip(QString());
        tipIsCaption = false;
    }
    return shown;
}
