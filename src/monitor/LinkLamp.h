#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// One of the two lamps beside "Connect": a round 15 x 15 pixel lamp in one colour. It draws
// the same whether or not its window takes input, because the lamp reports the board, not
// the window: while the about box has the monitor disabled, the board is still live.
class LinkLamp : public QWidget
{
    Q_OBJECT

public:
    explicit LinkLamp(const QColor &color, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override { return {15, 15}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
    QPixmap m_image;
};
