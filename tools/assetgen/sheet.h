#pragma once

#include <string>

namespace assetgen {

class Fonts;

// A contact sheet of every generated picture, read back from `assetDir`, with
// transparency shown as a checkerboard and the backdrop loop stacked with its
// seams marked.
void writeContactSheet(Fonts& fonts, const std::string& assetDir, const std::string& png);

// How the pictures land on the 800 x 600 play screen, for eyeballing layout;
// also writes the same scene with the game-over and points overlays beside it.
void writePlayPreview(Fonts& fonts, const std::string& assetDir, const std::string& png);

} // namespace assetgen
