#include "icon.h"

#include "art.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>

namespace assetgen {

namespace {

struct IconCell {
    int col, row;
    int colour; // index into cellStyles()
};

// Rows 0-1 hold the falling piece, rows 2-3 the stack; the stack's gap at
// column 1 is where the piece's stem will land.
constexpr std::array<IconCell, 11> kCells = {{
    {0, 0, 4}, {1, 0, 4}, {2, 0, 4}, {1, 1, 4},
    {0, 2, 0}, {2, 2, 3}, {3, 2, 3},
    {0, 3, 0}, {1, 3, 2}, {2, 3, 1}, {3, 3, 3},
}};

} // namespace

Canvas makeIcon(int size)
{
    if (size < 16)
        throw std::runtime_error("icon size too small: " + std::to_string(size));
    // Whole-pixel cells keep the edges sharp at small sizes.
    const int cell = static_cast<int>(std::lround(size * 52.0 / 256.0));
    const int gap = std::max(1, static_cast<int>(std::lround(cell / 4.0)));
    const int x0 = (size - 4 * cell) / 2;
    const int y0 = (size - (4 * cell + gap)) / 2;
    auto top = [&](int row) { return y0 + row * cell + (row >= 2 ? gap : 0); };

    Canvas c(size, size);
    // A soft shadow lifts the cells off light and dark desktops alike.
    Mask footprint(size, size);
    for (const IconCell& k : kCells)
        for (int y = top(k.row); y < top(k.row) + cell; ++y)
            for (int x = x0 + k.col * cell; x < x0 + (k.col + 1) * cell; ++x)
                footprint.ref(x, y) = 1.0f;
    const int blur = std::max(1, cell / 6);
    const Mask shadow = footprint.blurred(blur).shifted(0, std::max(1, cell / 10));
    c.paint(shadow, 0, 0, [](int, int) { return rgb(4, 4, 16); }, 0.5f);

    const auto& styles = cellStyles();
    for (const IconCell& k : kCells)
        drawCell(c, static_cast<float>(x0 + k.col * cell), static_cast<float>(top(k.row)), static_cast<float>(cell),
                 styles[static_cast<std::size_t>(k.colour)].base);
    return c;
}

Canvas makeMaskableIcon(int size)
{
    // The plain icon's cells fill about 81% of its side; a square fits in the
    // safe circle when its diagonal does, at 0.8 / sqrt(2) = 57% of the side.
    // Drawn at 64% the cells take 52%, with the shadow's margin to spare.
    const int inner = static_cast<int>(std::lround(size * 0.64));
    Canvas c(size, size);
    c.fill(maskableGround());
    c.draw(makeIcon(inner), (size - inner) / 2, (size - inner) / 2);
    return c;
}

namespace {

std::array<std::uint8_t, 4> straightRgba(const Px& p)
{
    auto channel = [](float v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)); };
    const float a = clamp01(p.a);
    const float inv = a > 0 ? 1.0f / a : 0.0f;
    return {channel(p.r * inv), channel(p.g * inv), channel(p.b * inv), channel(a)};
}

} // namespace

std::string iconHeader(const Canvas& c)
{
    const std::string size = std::to_string(c.width());
    std::string out =
        "// The window's icon, " + size + " x " + size + " pixels of straight ARGB, row by row. Made by\n"
        "// `assetgen --icon-header " + size + " src/platform/sdl/GameIcon.h`, never by hand.\n"
        "#pragma once\n\n#include <array>\n#include <cstdint>\n\nnamespace dv::sdl::icon {\n\n"
        "inline constexpr int kSize = " + size + ";\n"
        "inline constexpr std::array<std::uint32_t, " + std::to_string(c.width() * c.height()) + "> kPixels{{\n";
    char word[16];
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const auto [r, g, b, a] = straightRgba(c.at(x, y));
            std::snprintf(word, sizeof word, "0x%02X%02X%02X%02X,", a, r, g, b);
            out += (x % 8 == 0 ? "    " : " ") + std::string(word) + (x % 8 == 7 || x + 1 == c.width() ? "\n" : "");
        }
    out += "}};\n\n}  // namespace dv::sdl::icon\n";
    return out;
}

void saveRgbaPng(const Canvas& c, const std::string& path)
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, c.width(), c.height(), 32, SDL_PIXELFORMAT_RGBA32);
    if (!s)
        throw std::runtime_error(std::string("SDL_CreateRGBSurfaceWithFormat: ") + SDL_GetError());
    for (int y = 0; y < c.height(); ++y) {
        auto* row = static_cast<std::uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * s->pitch;
        for (int x = 0; x < c.width(); ++x) {
            const auto rgba = straightRgba(c.at(x, y));
            std::copy(rgba.begin(), rgba.end(), row + 4 * x);
        }
    }
    const int rc = IMG_SavePNG(s, path.c_str());
    SDL_FreeSurface(s);
    if (rc != 0)
        throw std::runtime_error("cannot write " + path + ": " + IMG_GetError());
}

} // namespace assetgen
