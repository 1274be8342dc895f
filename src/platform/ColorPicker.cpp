#include "ColorPicker.h"

#include "BgrColor.h"

#include <QColorDialog>

std::optional<quint32> QtColorPicker::pickColor(QWidget *parent, quint32 preselect)
{
    const QColor chosen = QColorDialog::getColor(BgrColor::toColor(preselect), parent);
    if (!chosen.isValid())
        return std::nullopt;
    return BgrColor::fromColor(chosen);
}
