#pragma once

#include <QIcon>
#include <array>

namespace Icons {

// The sizes, in pixels, the icon is drawn at.
inline constexpr std::array<int, 7> sizes = {16, 24, 32, 48, 64, 128, 256};

// The program's icon with every drawn size, so that each place (title bar, task switcher,
// about box) gets a sharp picture. Windows set it with setWindowIcon(Icons::application()).
QIcon application();

} // namespace Icons
