#pragma once

#include <QHash>
#include <QProxyStyle>

// The monitor's frames as the board panel draws them: the frame's top line runs through
// the middle of its title, and the title stands in a gap of that line. The window's layout,
// in twips, places the controls inside each frame for that line; a desktop style that draws
// the line below the title (Fusion does) would have it touch the first row of them.
//
// The style's own frame is kept; it is only drawn higher. Where the style puts the line is
// read off the style itself, by drawing a frame once into an image, so any style works.
class FrameTitleStyle : public QProxyStyle
{
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override;

private:
    // The first row the style draws of a group box frame given `option`, from its top.
    int lineOffset(const QStyleOption &option, const QWidget *widget) const;

    // Where the frame's line should run while a titled frame is drawn, else -1.
    mutable int m_lineAt = -1;
    // lineOffset() by font height.
    mutable QHash<int, int> m_lineOffsets;
};
