#include "AboutText.h"

QString AboutText::windowTitle(const QString &title)
{
    return QStringLiteral("About ") + title;
}

QString AboutText::versionText(int major, int minor, int revision)
{
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString AboutText::description()
{
    return QStringLiteral("Custom monitoring and control program for use with Tarnwick board. It "
                          "was written alongside the board as its companion on the desktop. It "
                          "shows the board's state live and switches its relays.");
}
