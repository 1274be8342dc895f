#pragma once

#include <QIcon>
#include <array>

namespace Icons {

// The sizes, in pixels, the icon is drawn at.
inline constexpr std::array<int, 7> sizes = {16, 24, 32, 48, 64, 128, 256};

// The program's icon with every drawn size, so that each place gets a sharp picture.
QIcon application();

// The windows' icon: every size up to 128 pixels. The window system is handed each size when
// a window maps (X11 copies them all into a property of the window), and the 256-pixel one
// alone is more to decode and send than all the others; a desktop that shows the program
// larger takes the installed icon named in the desktop file.
QIcon windows();

// Makes windows() the application's window icon, the first time it is called; later calls do
// nothing. Decoding its sizes costs a few milliseconds, which a main window need not wait for:
// the program calls this once its window is on screen, and before any message that may come
// sooner, so every window still carries the icon.
void useForWindows();

} // namespace Icons
