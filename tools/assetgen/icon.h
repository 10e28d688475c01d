#pragma once

#include "canvas.h"

#include <string>

namespace assetgen {

// The desktop icon: a few glossy cells settled at the bottom and a piece
// about to drop into the gap they leave, on a transparent ground.
Canvas makeIcon(int size);

// The ground behind the maskable icon, the colour the game's pictures are
// laid on.
inline Col maskableGround() { return rgb(14, 14, 32); }

// The icon for a phone's home screen, which cuts it to a circle, a squircle
// or a rounded square: an opaque square of the game's backdrop with the
// cells inside the central circle of 80% of the side that every mask keeps.
Canvas makeMaskableIcon(int size);

// Straight (not premultiplied) RGBA, so the desktop sees the icon's real
// transparency rather than a colour key.
void saveRgbaPng(const Canvas& c, const std::string& path);

// The icon as C++ source the game compiles in (straight ARGB, row by row),
// so its window shows the icon without reading another file.
std::string iconHeader(const Canvas& c);

} // namespace assetgen
