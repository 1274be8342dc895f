#include "Icons.h"

#include <QGuiApplication>
#include <QString>
#include <utility>

namespace {

// The PNG renderings rather than the SVG drawing: Qt reads SVG only with an extra module,
// which the program does without.
QIcon iconUpTo(int largest)
{
    QIcon icon;
    for (const int size : Icons::sizes)
        if (size <= largest)
            icon.addFile(QStringLiteral(":/icons/%1x%1/tarnwick.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

QIcon Icons::application()
{
    return iconUpTo(sizes.back());
}

QIcon Icons::windows()
{
    return iconUpTo(128);
}

void Icons::useForWindows()
{
    static bool used = false;
    if (!std::exchange(used, true))
        QGuiApplication::setWindowIcon(windows());
}
