#pragma once

#include "canvas.h"

#include <cstdint>
#include <string>
#include <vector>

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

// The icon an iPhone or iPad puts on its home screen for the page: it rounds
// the corners itself and shows any transparency as black, so the square is
// opaque backdrop to the edge, with the cells clear of the rounded corners.
Canvas makeTouchIcon(int size);

// Straight (not premultiplied) RGBA, so the desktop sees the icon's real
// transparency rather than a colour key.
void saveRgbaPng(const Canvas& c, const std::string& path);

// The icon as C++ source the game compiles in (straight ARGB, row by row),
// so its window shows the icon without reading another file. Written into
// the build folder, never kept with the sources.
std::string iconHeader(const Canvas& c);

// A Windows .ico holding each canvas as a 32-bit bitmap with its alpha, for
// the program's icon resource. The sizes are drawn one by one rather than
// scaled from the largest, so the small ones keep whole-pixel cells.
std::vector<std::uint8_t> encodeIco(const std::vector<Canvas>& images);

} // namespace assetgen
