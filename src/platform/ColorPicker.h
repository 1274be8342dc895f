#pragma once

#include <QtGlobal>
#include <optional>

class QWidget;

// The colour-choice dialog. Behind an interface so that tests can answer it without a
// window opening.
class ColorPicker
{
public:
    virtual ~ColorPicker() = default;
    // Shows the dialog with `preselect` (0x00BBGGRR) chosen and waits for the user: the colour
    // taken, or nothing when the user cancelled.
    virtual std::optional<quint32> pickColor(QWidget *parent, quint32 preselect) = 0;
};

class QtColorPicker final : public ColorPicker
{
public:
    std::optional<quint32> pickColor(QWidget *parent, quint32 preselect) override;
};
