// Shapes composed from kept layers give exactly the pixels that drawing them gives: over any
// background, at any scale and sub-pixel position of the shapes, wherever the widget stands
// on its window, with the window's clip, on either format a window's backing store has.
#include "StillLayers.h"
#include "TestMain.h"

#include <QPainter>
#include <QRandomGenerator>

namespace {

constexpr QPointF pivot(105.0, 100.0);
const QRectF hub(pivot.x() - 7.0, pivot.y() - 7.0, 14.0, 14.0);
const QPolygonF mark{{52.0, 78.0}, {60.0, 70.0}, {63.0, 84.0}};

// The shapes a gauge keeps, in the order it draws them, each in one colour. Between the
// hub's face and its pivot it draws the hub's ring itself.
using Shape = void (*)(QPainter &);
const Shape shapes[] = {
    [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 30, 30));
        p.drawPolygon(mark);
    },
    [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(20, 20, 20));
        p.drawEllipse(hub);
    },
    [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(160, 160, 164, 200)); // a translucent colour too
        p.drawEllipse(QRectF(pivot.x() - 2.5, pivot.y() - 2.5, 5.0, 5.0));
    },
};

QImage noise(QSize size, QImage::Format format)
{
    QImage image(size, format);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = random.generate() | 0xff000000u;
    }
    return image;
}

void drawRing(QPainter &painter, const QTransform &transform)
{
    painter.save();
    painter.setTransform(transform, true);
    painter.setPen(QPen(QColor(160, 160, 164), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(hub);
    painter.restore();
}

// A moving part under the still ones: drawn directly in both paintings.
void drawNeedle(QPainter &painter, const QTransform &transform, qreal degrees)
{
    painter.save();
    painter.setTransform(transform, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(20, 20, 20));
    const QLineF needle = QLineF::fromPolar(86.0, degrees).translated(pivot);
    painter.drawPolygon(QPolygonF{pivot, needle.p2() + QPointF(1.2, 0.0), needle.p2()});
    painter.restore();
}

// A gauge's moving needle and its still shapes over `background`, the widget standing at
// `place` on its window and painting `clip`; `still(k, painter)` puts still shape k.
template<typename Still>
QImage paintGauge(const QImage &background, QPoint place, const QRect &clip,
                  const QTransform &transform, Still still)
{
    QImage image = background;
    QPainter painter(&image);
    painter.translate(place);
    painter.setClipRect(clip);
    painter.setRenderHint(QPainter::Antialiasing);
    drawNeedle(painter, transform, 40.0 + place.x());
    for (std::size_t k = 0; k < std::size(shapes); ++k) {
        still(k, painter);
        if (k == 1)
            drawRing(painter, transform);
    }
    painter.end();
    return image;
}

// How many pixels differ, and by how much at most in any channel.
QString difference(const QImage &a, const QImage &b)
{
    int count = 0, most = 0;
    QPoint first(-1, -1);
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (p == q)
                continue;
            if (!count++)
                first = QPoint(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return QStringLiteral("%1 pixels differ, by up to %2, first at %3,%4")
        .arg(count)
        .arg(most)
        .arg(first.x())
        .arg(first.y());
}

QRect boundsOf(const QTransform &transform)
{
    return transform.mapRect(hub | mark.boundingRect()).toAlignedRect().adjusted(-3, -3, 3, 3);
}

} // namespace

class TestStillLayers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void composedAsDrawn_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QPointF>("shift");
        QTest::addColumn<QImage::Format>("format");
        // Scales below one stroke a one-pixel pen with the cosmetic stroker, above it as
        // a filled outline; shifts put the shapes between pixels.
        for (const qreal scale : {0.5, 0.77, 0.94, 1.0, 1.31, 2.07})
            for (const QPointF shift : {QPointF(0, 0), QPointF(0.25, 0.5), QPointF(3.7, 1.13)})
                for (const auto format :
                     {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied})
                    QTest::addRow("scale %g, shift %g,%g, %s", scale, shift.x(), shift.y(),
                                  format == QImage::Format_RGB32 ? "RGB32" : "ARGB32PM")
                        << scale << shift << format;
    }

    void composedAsDrawn()
    {
        QFETCH(qreal, scale);
        QFETCH(QPointF, shift);
        QFETCH(QImage::Format, format);
        const QTransform transform =
            QTransform::fromTranslate(shift.x(), shift.y()).scale(scale, scale);
        const QImage background = noise(QSize(700, 420), format);
        StillLayers layers;
        // The widget's place on its window, and the part of it being painted.
        for (const QPoint place : {QPoint(0, 0), QPoint(13, 7), QPoint(231, 158)}) {
            for (const QRect clip : {QRect(0, 0, 460, 260), QRect(40, 60, 120, 70)}) {
                const QImage drawn = paintGauge(background, place, clip, transform,
                                                [&](std::size_t k, QPainter &painter) {
                                                    painter.save();
                                                    painter.setTransform(transform, true);
                                                    shapes[k](painter);
                                                    painter.restore();
                                                });
                const QImage composed = paintGauge(
                    background, place, clip, transform, [&](std::size_t k, QPainter &painter) {
                        layers.paint(painter, k, 1.0, boundsOf(transform), transform, shapes[k]);
                    });
                QVERIFY2(drawn == composed, qPrintable(QStringLiteral("at %1,%2, clip %3x%4: %5")
                                                           .arg(place.x())
                                                           .arg(place.y())
                                                           .arg(clip.width())
                                                           .arg(clip.height())
                                                           .arg(difference(drawn, composed))));
            }
        }
        // Drawn once each, then composed wherever the widget stands.
        QCOMPARE(layers.renderCount(), int(std::size(shapes)));
    }

    void drawnAgainOnlyWhenTheyChange()
    {
        QImage target(300, 200, QImage::Format_RGB32);
        QPainter painter(&target);
        StillLayers layers;
        const QTransform transform = QTransform::fromScale(0.8, 0.8);
        const auto paint = [&](const QTransform &t) {
            layers.paint(painter, 1, 1.0, boundsOf(t), t, shapes[1]);
        };
        paint(transform);
        paint(transform);
        QCOMPARE(layers.renderCount(), 1);
        paint(QTransform::fromScale(0.9, 0.9)); // the widget was resized
        QCOMPARE(layers.renderCount(), 2);
        layers.clear(); // a new palette
        paint(QTransform::fromScale(0.9, 0.9));
        QCOMPARE(layers.renderCount(), 3);
    }

    // Where a widget's place on its window need not be whole pixels, the shapes are drawn.
    void drawnDirectlyAtAnotherPixelRatio()
    {
        QImage drawn(300, 200, QImage::Format_RGB32);
        drawn.setDevicePixelRatio(1.5);
        drawn.fill(Qt::white);
        QImage composed = drawn;
        const QTransform transform = QTransform::fromScale(0.8, 0.8);
        {
            QPainter painter(&drawn);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setTransform(transform);
            shapes[2](painter);
        }
        StillLayers layers;
        {
            QPainter painter(&composed);
            painter.setRenderHint(QPainter::Antialiasing);
            layers.paint(painter, 0, 1.5, boundsOf(transform), transform, shapes[2]);
        }
        QCOMPARE(layers.renderCount(), 0);
        QCOMPARE(composed, drawn);
    }
};

TARNWICK_TEST_MAIN(TestStillLayers)
#include "tst_stilllayers.moc"
