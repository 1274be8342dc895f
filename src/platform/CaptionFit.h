#pragma once

#include <QString>

class QFontMetrics;
class QWidget;

// A caption too long for its button or lamp is cut at the end with an ellipsis, never at
// both ends.
QString fitCaption(const QString &caption, const QFontMetrics &metrics, int width);

// Keeps a widget's tooltip the whole caption for as long as the caption is cut, through
// every rename and resize. The widgets keep their drawn faces, so a caption shown before
// may come back without being drawn again: the tooltip is settled at each paint, not where
// a face is drawn. A tooltip set by anyone else is left alone.
class CaptionTip
{
public:
    // Cheap when nothing changed since the last call: only a new caption or width is
    // measured again, or any after forget().
    void follow(QWidget &widget, const QString &caption, int width);
    // The widget's font or style changed: the next follow() measures again.
    void forget() { m_width = -1; }

private:
    QString m_caption;
    int m_width = -1;
    bool m_tipIsCaption = false;
};
