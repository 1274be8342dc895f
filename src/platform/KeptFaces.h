#pragma once

#include <QPixmap>
#include <QSize>
#include <array>

// The last two faces a widget drew, each under the look it shows (`Key`: its colour,
// caption and whatever else shows on it). A relay button or an input lamp switches between
// two colours; each switch then costs a copy, and a face is drawn only for a look, size or
// pixel density not kept.
template<typename Key>
class KeptFaces
{
public:
    // The face for `key` at `size` (logical pixels) and `ratio`, drawn by `draw(QPixmap &)`
    // onto a new pixmap of that size and density when it is not kept.
    template<typename Draw>
    const QPixmap &face(const Key &key, QSize size, qreal ratio, Draw draw)
    {
        const QSize pixels = (QSizeF(size) * ratio).toSize();
        for (const Face &kept : m_faces) {
            if (kept.key == key && !kept.pixmap.isNull() && kept.pixmap.size() == pixels &&
                kept.pixmap.devicePixelRatio() == ratio)
                return kept.pixmap;
        }
        m_newest = (m_newest + 1) % m_faces.size();
        Face &made = m_faces[m_newest];
        made.key = key;
        made.pixmap = QPixmap(pixels);
        made.pixmap.setDevicePixelRatio(ratio);
        draw(made.pixmap);
        ++m_renderCount;
        return made.pixmap;
    }

    // Forgets every face: a new font or style draws them differently.
    void clear() { m_faces = {}; }

    // How often a face has been drawn rather than copied.
    int renderCount() const { return m_renderCount; }

private:
    struct Face
    {
        Key key{};
        QPixmap pixmap; // null: nothing kept
    };
    std::array<Face, 2> m_faces;
    std::size_t m_newest = 0;
    int m_renderCount = 0;
};
