#include "ViewFocus.h"

#include <QEvent>
#include <QVariant>
#include <QWidget>

namespace {

// The focus policy a control was made with, kept on it while the view hides it.
constexpr char madePolicy[] = "tarnwickFocusPolicy";

} // namespace

ViewFocus::ViewFocus(QWidget *viewport, QWidget *client)
    : QObject(viewport)
    , m_viewport(viewport)
    , m_client(client)
{
    viewport->installEventFilter(this);
    follow(viewport, client);
}

bool ViewFocus::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_viewport && event->type() == QEvent::Resize)
        follow(m_viewport, m_client);
    return QObject::eventFilter(watched, event);
}

int ViewFocus::follow(QWidget *viewport, QWidget *client)
{
    int changed = 0;
    const QRect shown = viewport->rect();
    for (QWidget *control : client->findChildren<QWidget *>()) {
        const QVariant made = control->property(madePolicy);
        if (!made.isValid() && control->focusPolicy() == Qt::NoFocus)
            continue; // never takes focus: nothing to keep
        const QRect place(control->mapTo(viewport, QPoint(0, 0)), control->size());
        const bool seen = shown.intersects(place);
        if (seen && made.isValid()) {
            control->setFocusPolicy(Qt::FocusPolicy(made.toInt()));
            control->setProperty(madePolicy, QVariant());
            ++changed;
        } else if (!seen && !made.isValid()) {
            control->setProperty(madePolicy, int(control->focusPolicy()));
            control->setFocusPolicy(Qt::NoFocus);
            if (control->hasFocus())
                control->clearFocus();
            ++changed;
        }
    }
    return changed;
}
