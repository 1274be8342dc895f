#pragma once

#include "CaptionFit.h"
#include "KeptFaces.h"

#include <QAbstractButton>
#include <QPixmap>

// A push button drawn in its own back colour, like the relay and macro buttons of the board
// panel: the colour is the message, so no style may tint it. A caption too long for the
// button is cut at the end, with the whole of it as the tooltip.
//
// The window repaints dozens of these on every status frame, so the face (colour, edge and
// caption) is drawn once per colour and kept: a relay button shows one of two colours, and
// repainting it is then a single copy. The button fills its whole rectangle, so nothing
// behind it is painted.
class ColorButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ColorButton(const QString &caption, quint32 backColor, QWidget *parent = nullptr);

    // 0x00BBGGRR
    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 color);

    // A button that shows a state of the board, as a relay's does: checkable for assistive
    // technology, checked only by setStateShown(), never by a click.
    void setShowsState(bool shows);
    void setStateShown(bool on);

    QSize sizeHint() const override;

    // How often a face has been drawn rather than copied from the kept ones.
    int faceRenderCount() const { return m_faces.renderCount(); }

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void nextCheckState() override;

private:
    // What shows on a raised face besides the size, the font and the style.
    struct Look
    {
        quint32 color = 0;
        QString caption;
        bool operator==(const Look &) const = default;
    };

    // Keeps a cut caption off the raised edge.
    static constexpr int captionMargin = 2;
    static constexpr qreal focusMarkWidth = 2.0;

    void drawFace(QPainter &painter, bool sunken);
    void drawFocusMark(QPainter &painter) const;
    const QPixmap &raisedFace(qreal ratio);

    quint32 m_backColor;
    KeptFaces<Look> m_faces;
    CaptionTip m_tip;
    bool m_showsState = false;
};
