#pragma once

#include <QString>

// The texts the about box shows.
namespace AboutText {

// The application title, as the window captions show it.
inline const QString applicationTitle = QStringLiteral("Tarnwick");

// "About " followed by the title.
QString windowTitle(const QString &title);

// "Version 2.0.1": each number in decimal, without leading zeros.
QString versionText(int major, int minor, int revision);

// What the program is, for lblDescription.
QString description();

} // namespace AboutText
