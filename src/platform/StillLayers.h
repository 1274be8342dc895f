#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QTransform>
#include <vector>

// Shapes that stand still on a widget while the rest of it changes (a gauge's hub over its
// moving needle), each drawn in one solid colour, kept as layers: the shape is drawn once
// onto a transparent image, and each paint composes that image where the shape stands.
//
// Composing gives exactly the pixels that drawing the shape there gives. Drawing a solid
// colour c with coverage a over a pixel p yields c·a + p·(1 − alpha(c·a)) in Qt's 8-bit
// arithmetic; over transparency the layer's pixel is c·a itself, and composing it over p is
// that same sum, rounded the same way. So each shape needs a layer of its own: two shapes
// drawn into one layer would be rounded together, not one over the other.
//
// Layers are used only at a pixel ratio of one, where a widget stands on whole pixels of its
// window; at any other ratio the shapes are drawn directly.
class StillLayers
{
public:
    // Draws layer `index` (0, 1, ...) with `painter`, whose world transform is the identity:
    // `draw(QPainter &)` draws the shape in the coordinates that `transform` maps to the
    // widget's, and every pixel it touches lies within `bounds`. The layer is drawn anew when
    // the bounds or the transform differ from those it was kept under.
    template<typename Draw>
    void paint(QPainter &painter, std::size_t index, qreal pixelRatio, const QRect &bounds,
               const QTransform &transform, Draw draw)
    {
        if (pixelRatio != 1.0) {
            painter.save();
            painter.setTransform(transform);
            draw(painter);
            painter.restore();
            return;
        }
        if (index >= m_layers.size())
            m_layers.resize(index + 1);
        Layer &layer = m_layers[index];
        if (layer.image.isNull() || layer.bounds != bounds || layer.transform != transform) {
            layer.image = QImage(bounds.size(), QImage::Format_ARGB32_Premultiplied);
            layer.image.fill(Qt::transparent);
            QPainter onLayer(&layer.image);
            onLayer.setRenderHints(painter.renderHints());
            onLayer.translate(-bounds.topLeft());
            onLayer.setTransform(transform, true);
            draw(onLayer);
            layer.bounds = bounds;
            layer.transform = transform;
            ++m_renderCount;
        }
        painter.drawImage(bounds.topLeft(), layer.image);
    }

    // Forgets every layer: their colours or shapes changed.
    void clear() { m_layers.clear(); }

    // How often a layer has been drawn rather than composed.
    int renderCount() const { return m_renderCount; }

private:
    struct Layer
    {
        QImage image;
        QRect bounds;
        QTransform transform;
    };
    std::vector<Layer> m_layers;
    int m_renderCount = 0;
};
