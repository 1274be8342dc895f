#include "Icons.h"

#include <QString>

QIcon Icons::application()
{
    // The PNG renderings rather than the SVG drawing: Qt reads SVG only with an extra
    // module, which the program does without.
    QIcon icon;
    for (const int size : sizes)
        icon.addFile(QStringLiteral(":/icons/%1x%1/tarnwick.png").arg(size), QSize(size, size));
    return icon;
}
