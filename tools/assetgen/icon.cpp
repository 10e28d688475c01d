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

Canvas makeTouchIcon(int size)
{
    // The system's rounded corners take about 22% of the side as their
    // radius; drawn at 80% the cells stay a tenth of the side inside them.
    const int inner = static_cast<int>(std::lround(size * 0.8));
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
        "// The window's icon, " + size + " x " + size + " pixels of straight ARGB, row by row.\n"
        "// Written by `assetgen --icon-header " + size + "` into the build folder, never by hand.\n"
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

namespace {

void put16(std::vector<std::uint8_t>& out, unsigned v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// One image of the .ico: a BITMAPINFOHEADER whose height counts the colour
// rows and the mask's, the BGRA rows bottom-up, then the 1-bit mask (set
// where the pixel is clear) that systems without alpha fall back on.
std::vector<std::uint8_t> icoBitmap(const Canvas& c)
{
    const int w = c.width();
    const int h = c.height();
    const int maskStride = (w + 31) / 32 * 4;
    std::vector<std::uint8_t> out;
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(w));
    put32(out, static_cast<std::uint32_t>(2 * h));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0); // BI_RGB
    put32(out, static_cast<std::uint32_t>(w * h * 4 + maskStride * h));
    for (int i = 0; i < 4; ++i)
        put32(out, 0);
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskStride) * h, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const auto [r, g, b, a] = straightRgba(c.at(x, y));
            out.insert(out.end(), {b, g, r, a});
            if (a == 0)
                mask[static_cast<std::size_t>((h - 1 - y) * maskStride + x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
    out.insert(out.end(), mask.begin(), mask.end());
    return out;
}

} // namespace

std::vector<std::uint8_t> encodeIco(const std::vector<Canvas>& images)
{
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // an icon, not a cursor
    put16(out, static_cast<unsigned>(images.size()));
    std::vector<std::vector<std::uint8_t>> bitmaps;
    std::size_t offset = 6 + 16 * images.size();
    for (const Canvas& c : images) {
        if (c.width() > 256 || c.height() > 256)
            throw std::runtime_error("an .ico image is at most 256 x 256");
        bitmaps.push_back(icoBitmap(c));
        // 256 is written as 0: the field is one byte.
        out.push_back(static_cast<std::uint8_t>(c.width() & 0xFF));
        out.push_back(static_cast<std::uint8_t>(c.height() & 0xFF));
        out.push_back(0); // no palette
        out.push_back(0);
        put16(out, 1);
        put16(out, 32);
        put32(out, static_cast<std::uint32_t>(bitmaps.back().size()));
        put32(out, static_cast<std::uint32_t>(offset));
        offset += bitmaps.back().size();
    }
    for (const auto& b : bitmaps)
        out.insert(out.end(), b.begin(), b.end());
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
