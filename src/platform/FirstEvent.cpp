#include "FirstEvent.h"

#include <QObject>

namespace {

class FirstEvent : public QObject
{
public:
    FirstEvent(QObject *object, QEvent::Type type, std::function<void()> action)
        : QObject(object)
        , m_type(type)
        , m_action(std::move(action))
    {
        object->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == m_type) {
            watched->removeEventFilter(this);
            deleteLater();
            m_action();
        }
        return false;
    }

private:
    QEvent::Type m_type;
    std::function<void()> m_action;
};

} // namespace

void onFirstEvent(QObject *object, QEvent::Type type, std::function<void()> action)
{
    new FirstEvent(object, type, std::move(action));
}
