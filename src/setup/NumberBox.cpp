#include "NumberBox.h"

#include "MeterValues.h"

#include <QLineEdit>

namespace NumberBox {

namespace {
const char *const markProperty = "notANumber";
}

bool showWhetherNumber(QLineEdit *box)
{
    const bool number = MeterValues::isNumber(box->text());
    if (number == !isMarked(box))
        return number;
    box->setProperty(markProperty, !number);
    box->setStyleSheet(number ? QString()
                              : QStringLiteral("QLineEdit { border: 2px solid rgb(192, 0, 0); }"));
    const QString why = number ? QString() : QStringLiteral("Not a number");
    box->setToolTip(why);
    box->setAccessibleDescription(why);
    return number;
}

bool isMarked(const QLineEdit *box)
{
    return box->property(markProperty).toBool();
}

} // namespace NumberBox
