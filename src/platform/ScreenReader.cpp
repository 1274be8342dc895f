#include "ScreenReader.h"

#include <QAccessible>
#include <QPointer>
#include <vector>

namespace {

class Activation : public QAccessible::ActivationObserver
{
public:
    Activation()
        : m_listening(QAccessible::isActive())
    {
        QAccessible::installActivationObserver(this);
    }
    ~Activation() override { QAccessible::removeActivationObserver(this); }

    bool listening() const { return m_listening; }

    void add(QObject *owner, std::function<void()> bringUpToDate)
    {
        m_owners.push_back({owner, std::move(bringUpToDate)});
        QObject::connect(owner, &QObject::destroyed, [this, owner] { remove(owner); });
    }

    void accessibilityActiveChanged(bool active) override
    {
        m_listening = active;
        if (!active)
            return;
        // Copied first: bringing an owner up to date may make or destroy other owners.
        const auto owners = m_owners;
        for (const Owner &owner : owners)
            if (owner.object)
                owner.bringUpToDate();
    }

private:
    struct Owner
    {
        QPointer<QObject> object;
        std::function<void()> bringUpToDate;
    };

    void remove(QObject *owner)
    {
        // A widget says it is destroyed while pointers to it still hold it, a plain object
        // after they are cleared: either way its entry goes, with any left by others.
        std::erase_if(m_owners, [owner](const Owner &o) { return o.object == owner || !o.object; });
    }

    bool m_listening;
    std::vector<Owner> m_owners;
};

Activation &activation()
{
    static Activation instance;
    return instance;
}

} // namespace

namespace ScreenReader {

bool listening()
{
    return activation().listening();
}

void whenListening(QObject *owner, std::function<void()> bringUpToDate)
{
    activation().add(owner, std::move(bringUpToDate));
}

} // namespace ScreenReader
