#pragma once

#include <QAbstractButton>

// A push button drawn in its own back colour, like the relay and macro buttons of the board
// panel: the colour is the message, so no style may tint it.
class ColorButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit ColorButton(const QString &caption, quint32 backColor, QWidget *parent = nullptr);

    // 0x00BBGGRR
    quint32 backColor() const { return m_backColor; }
    void setBackColor(quint32 color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    quint32 m_backColor;
};
