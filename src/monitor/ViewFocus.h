#pragma once

#include <QObject>

class QWidget;

// Keeps Tab on what the window shows. The monitor lays its whole client area out at once and
// lets the window's height decide how much of it shows, so the relay banks E to H and the
// debug strip sit below the Normal view: without this, Tab would stop on 40 controls that
// cannot be seen. A control the view cuts off takes no focus, by Tab or by click, until the
// view shows it again; then it takes it as it was made to.
class ViewFocus : public QObject
{
    Q_OBJECT

public:
    // Follows `viewport`'s size, which shows as much of `client`, a widget inside it, as fits.
    ViewFocus(QWidget *viewport, QWidget *client);

    // Sets each control's focus for what `viewport` shows of `client` now; the number of
    // controls whose focus changed.
    static int follow(QWidget *viewport, QWidget *client);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_viewport;
    QWidget *m_client;
};
