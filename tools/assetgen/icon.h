#pragma once

#include "canvas.h"

#include <string>

namespace assetgen {

// The desktop icon: a few glossy cells settled at the bottom and a piece
// about to drop into the gap they leave, on a transparent ground.
Canvas makeIcon(int size);

// Straight (not premultiplied) RGBA, so the desktop sees the icon's real
// transparency rather than a colour key.
void saveRgbaPng(const Canvas& c, const std::string& path);

// The icon as C++ source the game compiles in (straight ARGB, row by row),
// so its window shows the icon without reading another file.
std::string iconHeader(const Canvas& c);

} // namespace assetgen
