#pragma once

#include "canvas.h"
#include "text.h"

#include <array>
#include <string>
#include <vector>

namespace assetgen {

struct Picture {
    std::string name; // file name under texture/
    Canvas canvas;
    Keying keying;
};

// The two frames are keyed on this grey so that they may use black outlines.
inline constexpr std::uint8_t kFrameKey = 79;

// The seven cell colours, in the order of the cell files.
struct CellStyle {
    const char* file;
    Col base;
};
const std::array<CellStyle, 7>& cellStyles();

// One glossy cell of any size with its top-left corner at (x, y).
void drawCell(Canvas& c, float x, float y, float size, Col base);

// The scrolling backdrop as one seamless 800 x 2400 loop, top to bottom in
// the order the game scrolls through bgk2, bgk3, bgk4, bgk1.
inline constexpr int kLoopWidth = 800, kLoopHeight = 2400;
Canvas backgroundLoop();
// The file cut from each 600-row band of the loop, top band first.
const std::array<const char*, 4>& loopBands();

// Every picture of the game, in a stable order.
std::vector<Picture> makePictures(Fonts& fonts);

} // namespace assetgen
