#include "PanelAccessibility.h"

#include "AGauge.h"
#include "LampLabel.h"

#include <QAccessibleWidget>
#include <cmath>

namespace {

// A dial: named by the window ("Meter 1: Volts DC"), its needle read as its value.
class AccessibleGauge : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit AccessibleGauge(AGauge *gauge)
        : QAccessibleWidget(gauge, QAccessible::Dial)
    {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return gauge()->valueText();
        return QAccessibleWidget::text(kind);
    }

    QVariant currentValue() const override
    {
        const double value = gauge()->needleValue();
        return std::isnan(value) ? QVariant() : QVariant(value);
    }
    void setCurrentValue(const QVariant &) override {} // the board moves the needle, not a reader
    QVariant maximumValue() const override { return gauge()->scaleMax(); }
    QVariant minimumValue() const override { return gauge()->scaleMin(); }
    QVariant minimumStepSize() const override { return 0.0; }

private:
    AGauge *gauge() const { return static_cast<AGauge *>(widget()); }
};

// A lamp: its caption, and whether it is lit as a checked state, so that a reader announces
// each change as it would a check box's.
class AccessibleLamp : public QAccessibleWidget
{
public:
    explicit AccessibleLamp(LampLabel *lamp)
        : QAccessibleWidget(lamp, QAccessible::StaticText)
    {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = lamp()->isLit();
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && lamp()->accessibleName().isEmpty())
            return lamp()->text();
        return QAccessibleWidget::text(kind);
    }

private:
    LampLabel *lamp() const { return static_cast<LampLabel *>(widget()); }
};

QAccessibleInterface *panelInterface(const QString &className, QObject *object)
{
    if (className == QLatin1String("AGauge"))
        if (auto *gauge = qobject_cast<AGauge *>(object))
            return new AccessibleGauge(gauge);
    if (className == QLatin1String("LampLabel"))
        if (auto *lamp = qobject_cast<LampLabel *>(object))
            return new AccessibleLamp(lamp);
    return nullptr;
}

} // namespace

namespace PanelAccessibility {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(panelInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void checkedChanged(QObject *object)
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(object, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace PanelAccessibility
