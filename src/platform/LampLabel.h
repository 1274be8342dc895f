#pragma once

#include "CaptionFit.h"
#include "KeptFaces.h"

#include <QLabel>

// A label lit in a back colour, like the input lamps of the board panel. It looks exactly
// as a QLabel with that colour as its window colour would, but is drawn once per colour and
// kept: a lamp shows one of two colours, and every status frame may switch it, so
// repainting it is then a single copy. The colour is the label's own, not its palette's,
// so switching it changes no palette and touches no other widget. A caption too long for
// the lamp is cut at the end, with the whole of it as the tooltip.
class LampLabel : public QLabel
{
    Q_OBJECT

public:
    explicit LampLabel(const QString &caption, quint32 backColor, QWidget *parent = nullptr);

    // 0x00BBGGRR
    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 color);

    // Whether the lamp is lit, for assistive technology, which the colour alone tells
    // nothing: read as a checked state, and announced as it changes.
    bool isLit() const { return m_lit; }
    void setLit(bool lit);

    // How often a face has been drawn rather than copied from the kept ones.
    int faceRenderCount() const { return m_faces.renderCount(); }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Everything the face depends on besides the size, the font and the style.
    struct Key
    {
        quint32 color = 0;
        QString caption;
        QRgb ink = 0;
        int alignment = 0;
        bool operator==(const Key &) const = default;
    };
    Key currentKey() const;
    QPalette inkPalette() const;
    QRect captionArea() const;
    const QPixmap &face(qreal ratio);
    void drawFace(QPixmap &pixmap);

    quint32 m_backColor;
    KeptFaces<Key> m_faces;
    CaptionTip m_tip;
    bool m_lit = false;
};
