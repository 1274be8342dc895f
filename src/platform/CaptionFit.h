#pragma once

#include <QString>

class QFontMetrics;
class QWidget;

// A caption too long for its button or lamp is cut at the end with an ellipsis, never at
// both ends, and its whole text becomes the widget's tooltip for as long as it is cut.
// `tipIsCaption` remembers whether the tooltip is ours, so a tooltip set by anyone else is
// left alone.
QString fitCaption(QWidget &widget, const QString &caption, const QFontMetrics &metrics, int width,
                   bool &tipIsCaption);
