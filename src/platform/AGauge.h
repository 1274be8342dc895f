#pragma once

#include "BgrColor.h"
#include "StillLayers.h"

#include <QColor>
#include <QPixmap>
#include <QPolygonF>
#include <QString>
#include <QWidget>
#include <array>

// Colours travel through the settings store as 32-bit values 0x00BBGGRR (BgrColor.h). The
// top byte is always zero; larger values are not colours.
inline constexpr quint32 maxBgr = 0x00FFFFFFu;

// Scale arithmetic of the dial, free of any widget so it can be checked on its own.
namespace GaugeScale {

// A scale is usable only when both ends are finite and the maximum exceeds the minimum.
bool isUsable(double minimum, double maximum);

// Where `value` lies between the ends, 0 at the minimum and 1 at the maximum, clamped to
// that range. Safe for ends far apart (no overflow of max - min) and for infinite values;
// NaN for a NaN value or an unusable scale.
double fraction(double value, double minimum, double maximum);

// Distance between major ticks: 1, 2, 2.5 or 5 times a power of ten, giving two and a half
// to five intervals over `span`. Zero for a span that is not positive and finite.
double majorStep(double span);

} // namespace GaugeScale

// A dial gauge painted by us: scale ends, a caption, five coloured arcs ("annulars"), two
// tick sets and a needle. The callers select the annular and the tick set they mean before
// each access; the gauge keeps that selection as state of its own.
//
// The gauge stands on its window's plain background colour (its palette's Window), which
// it paints into its own corners: it is opaque, so the window behind it is not repainted
// with each needle move.
//
// Values that come from the settings store arrive as text. The text setters read them as
// numbers (blanks trimmed, full stop as decimal point, no group separators, whatever the
// user's regional format) and refuse anything else: a refused value leaves the property
// as it was and the setter returns false. Setters that change nothing repaint nothing.
class AGauge : public QWidget
{
    Q_OBJECT

public:
    static constexpr int annularCount = 5;
    static constexpr int tickSetCount = 2;
    static constexpr int maxMinorTickCount = 32767;

    explicit AGauge(QWidget *parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);

    double scaleMin() const { return m_scaleMin; }
    bool setScaleMin(double value);
    bool setScaleMin(const QString &text);
    double scaleMax() const { return m_scaleMax; }
    bool setScaleMax(double value);
    bool setScaleMax(const QString &text);

    // Selects the annular (0..4) that the start, end and colour operations address.
    int currentAnnular() const { return m_currentAnnular; }
    bool setCurrentAnnular(int index);

    double annularStart() const { return annular().start; }
    bool setAnnularStart(double value);
    bool setAnnularStart(const QString &text);
    double annularEnd() const { return annular().end; }
    bool setAnnularEnd(double value);
    bool setAnnularEnd(const QString &text);
    quint32 annularColor() const { return annular().color; }
    bool setAnnularColor(quint32 bgr);
    bool setAnnularColor(const QString &text);

    // Selects the tick set (0 or 1) that the minor-tick operations address.
    int currentTickSet() const { return m_currentTickSet; }
    bool setCurrentTickSet(int index);

    // Minor ticks between two major ticks, 0..maxMinorTickCount.
    int minorTickCount() const { return m_minorTickCounts.at(std::size_t(m_currentTickSet)); }
    bool setMinorTickCount(int count);
    bool setMinorTickCount(const QString &text);

    // Any value is taken, NaN and infinities included; the dial pins what it cannot show.
    double needleValue() const { return m_needleValue; }
    void setNeedleValue(double value);

    // The caption and the needle's value as a person reads them: the gauge's tooltip, which
    // follows the needle while it is shown.
    QString reading() const;
    // The needle's value alone, as the reading words it.
    QString valueText() const;

    // What the window calls this gauge among its others ("Meter 1"). With the caption it
    // makes the name assistive technology reads ("Meter 1: Volts DC"); the value is read as
    // the gauge's value, so the name stays put while the needle moves.
    QString label() const { return m_label; }
    void setLabel(const QString &label);

    // Where `value` lies on the dial, in widget coordinates: `radius` 0 is the needle's
    // pivot, 1 the middle of the annulars' ring. Not clamped to the scale, so points just
    // beyond either end can be named too.
    QPointF dialPoint(double value, qreal radius) const;

    // How often the static part of the dial has been drawn; it is drawn again only after a
    // change that shows on it, or a new size or pixel density.
    int dialRenderCount() const { return m_dialRenderCount; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Annular
    {
        double start = 0.0;
        double end = 0.0;
        quint32 color = 0;
    };

    // Where the needle stands for a value: hidden for NaN, pinned with a mark beyond an end.
    struct NeedlePose
    {
        enum Pinned { Free, AtStart, AtEnd };
        bool shown = false;
        Pinned pinned = Free;
        qreal degrees = 0.0;
    };
    NeedlePose needlePose(double value) const;
    // What painting the needle at `value` touches, in widget coordinates.
    QRect needleBounds(double value) const;
    static QPolygonF rangeMark(bool atEnd);

    const Annular &annular() const { return m_annulars.at(std::size_t(m_currentAnnular)); }
    Annular &annular() { return m_annulars.at(std::size_t(m_currentAnnular)); }
    bool setAnnularBound(double Annular::*bound, double value);

    void dialChanged();
    void nameChanged();
    // The tooltip follows the reading when one is asked for, and at once while it is shown;
    // a listening screen reader hears of each new value (ScreenReader.h).
    void describe();
    void describeNow();
    // The palette's colours as an enabled window shows them: the dial looks the same while a
    // dialog disables the window, and a dial drawn then is not kept in its colours.
    QColor ink(QPalette::ColorRole role) const;
    void renderDial(qreal pixelRatio);
    void drawDial(QPainter &painter) const;
    void drawAnnulars(QPainter &painter) const;
    void drawTicks(QPainter &painter) const;
    void drawLabels(QPainter &painter) const;
    void drawNeedle(QPainter &painter, qreal pixelRatio);
    QTransform logicalTransform() const;

    QString m_caption;
    double m_scaleMin = 0.0;
    double m_scaleMax = 5.0;
    std::array<Annular, annularCount> m_annulars;
    int m_currentAnnular = 0;
    std::array<int, tickSetCount> m_minorTickCounts{4, 4};
    int m_currentTickSet = 0;
    double m_needleValue = 0.0;
    QString m_label;
    bool m_describedStale = true;
    QString m_tipShown; // the tooltip text last shown, while it may still be on screen
    QPoint m_tipAt;

    enum class StillLayer { StartMark, EndMark, HubFace, Pivot };
    StillLayers m_stillLayers;

    QPixmap m_dial;
    bool m_dialValid = false;
    QSize m_dialSize;
    qreal m_dialRatio = 0.0;
    int m_dialRenderCount = 0;
};
