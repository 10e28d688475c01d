#include "asset_files.h"
#include "icon.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

// A phone cuts the home-screen icon to its own shape, keeping at least the
// central circle of 80% of the side: the cells must all lie inside it, and
// what is cut must be ground, never a transparent hole.
TEST(MaskableIcon, OpaqueWithEveryCellInsideTheSafeCircle)
{
    for (const int size : {192, 512}) {
        const assetgen::Canvas icon = assetgen::makeMaskableIcon(size);
        ASSERT_EQ(icon.width(), size);
        ASSERT_EQ(icon.height(), size);
        const assetgen::Col ground = assetgen::maskableGround();
        const float safe = 0.4f * static_cast<float>(size);
        int drawn = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const assetgen::Px& p = icon.at(x, y);
                ASSERT_NEAR(p.a, 1.0f, 1e-4f) << size << ": " << x << "," << y;
                const float off = std::fabs(p.r - ground.r) + std::fabs(p.g - ground.g) + std::fabs(p.b - ground.b);
                // The cells' faint shadow may reach a little past them.
                if (off < 0.06f)
                    continue;
                ++drawn;
                const float dx = static_cast<float>(x) + 0.5f - size / 2.0f;
                const float dy = static_cast<float>(y) + 0.5f - size / 2.0f;
                ASSERT_LE(std::hypot(dx, dy), safe) << size << ": a cell at " << x << "," << y;
            }
        // Eleven cells of about 13% of the side each.
        EXPECT_GT(drawn, size * size / 6) << size;
    }
}

namespace {

// A PNG of the build's icon set, read back as the browser or desktop would:
// straight RGBA, four bytes a pixel, rows packed.
struct Rgba {
    int w = 0, h = 0;
    std::vector<std::uint8_t> px;
    const std::uint8_t* at(int x, int y) const { return px.data() + 4 * (static_cast<std::size_t>(y) * w + x); }
};

Rgba loadRgba(SDL_Surface* loaded)
{
    Rgba out;
    if (loaded == nullptr) {
        ADD_FAILURE() << IMG_GetError();
        return out;
    }
    SDL_Surface* rgba = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
    SDL_FreeSurface(loaded);
    if (rgba == nullptr) {
        ADD_FAILURE() << SDL_GetError();
        return out;
    }
    out.w = rgba->w;
    out.h = rgba->h;
    for (int y = 0; y < rgba->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(rgba->pixels) + static_cast<std::size_t>(y) * rgba->pitch;
        out.px.insert(out.px.end(), row, row + 4 * rgba->w);
    }
    SDL_FreeSurface(rgba);
    return out;
}

std::uint32_t le(const std::vector<std::uint8_t>& b, std::size_t at, int bytes)
{
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | b.at(at + static_cast<std::size_t>(i));
    return v;
}

} // namespace

// An iPhone shows a touch icon's transparent pixels as black and rounds the
// corners itself (a radius of about 22% of the side): the page's icon is
// opaque to the edge, and what the rounding cuts off is plain ground.
TEST(TouchIcon, OpaqueSquareWithTheCellsClearOfTheRoundedCorners)
{
    const Rgba icon = loadRgba(IMG_Load(DV_WEB_ICON_DIR "/apple-touch-icon.png"));
    ASSERT_EQ(icon.w, 180);
    ASSERT_EQ(icon.h, 180);
    const assetgen::Col ground = assetgen::maskableGround();
    const auto byte = [](float v) { return static_cast<int>(std::lround(v * 255.0f)); };
    const float radius = 0.2237f * 180.0f;
    int cut = 0;
    int drawn = 0;
    for (int y = 0; y < icon.h; ++y)
        for (int x = 0; x < icon.w; ++x) {
            const std::uint8_t* p = icon.at(x, y);
            ASSERT_EQ(p[3], 255) << x << "," << y;
            const bool isGround = std::abs(p[0] - byte(ground.r)) + std::abs(p[1] - byte(ground.g)) +
                                      std::abs(p[2] - byte(ground.b)) <= 8;
            drawn += isGround ? 0 : 1;
            // Distance past the centre of the nearest corner's circle, in
            // the corner squares only.
            const float cx = std::clamp(static_cast<float>(x) + 0.5f, radius, 180.0f - radius);
            const float cy = std::clamp(static_cast<float>(y) + 0.5f, radius, 180.0f - radius);
            if (std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy) > radius) {
                ++cut;
                EXPECT_TRUE(isGround) << "a cell in the rounded-off corner at " << x << "," << y;
            }
        }
    EXPECT_GT(cut, 4 * 100) << "the corners were measured";
    EXPECT_GT(drawn, 180 * 180 / 4) << "the cells fill the middle";
}

// The Windows program's icon resource: every size Explorer and the taskbar
// ask for, each a 32-bit bitmap with alpha whose mask (for systems without
// alpha) is set exactly where the pixel is clear; the largest holds the very
// pixels of the desktop's 256-pixel icon, bottom row first, in BGRA order.
TEST(WindowsIcon, HoldsFiveSizesAndTheLargestIsTheDesktopIcon)
{
    const std::vector<std::uint8_t> ico = assettest::readBytes(DV_WINDOWS_ICO);
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(le(ico, 0, 2), 0u);
    EXPECT_EQ(le(ico, 2, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(le(ico, 4, 2), 5u);
    const Rgba desktop = loadRgba(IMG_Load(DV_ICON_DIR "/256x256/apps/dravo-vantle.png"));
    ASSERT_EQ(desktop.w, 256);
    const int sizes[] = {256, 64, 48, 32, 16};
    for (std::size_t i = 0; i < 5; ++i) {
        const int size = sizes[i];
        SCOPED_TRACE(size);
        const std::size_t entry = 6 + 16 * i;
        const std::uint32_t side = size == 256 ? 0 : static_cast<std::uint32_t>(size);
        EXPECT_EQ(le(ico, entry, 1), side);
        EXPECT_EQ(le(ico, entry + 1, 1), side);
        EXPECT_EQ(le(ico, entry + 6, 2), 32u);
        const std::uint32_t length = le(ico, entry + 8, 4);
        const std::size_t offset = le(ico, entry + 12, 4);
        // Colour rows, then one mask bit a pixel in rows of whole 32-bit words.
        const std::size_t maskStride = static_cast<std::size_t>((size + 31) / 32 * 4);
        const std::size_t colours = offset + 40;
        const std::size_t mask = colours + 4u * static_cast<std::size_t>(size * size);
        ASSERT_EQ(length, mask + maskStride * static_cast<std::size_t>(size) - offset);
        ASSERT_LE(offset + length, ico.size());
        EXPECT_EQ(le(ico, offset, 4), 40u);
        EXPECT_EQ(le(ico, offset + 4, 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(le(ico, offset + 8, 4), static_cast<std::uint32_t>(2 * size)) << "colour and mask rows";
        EXPECT_EQ(le(ico, offset + 14, 2), 32u);

        int opaque = 0;
        int maskWrong = 0;
        int differing = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const std::size_t row = static_cast<std::size_t>(size - 1 - y);
                const std::uint8_t* bgra = ico.data() + colours + 4 * (row * static_cast<std::size_t>(size) + x);
                const bool masked = (ico[mask + row * maskStride + static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
                maskWrong += masked != (bgra[3] == 0) ? 1 : 0;
                opaque += bgra[3] == 255 ? 1 : 0;
                if (size == 256) {
                    const std::uint8_t* p = desktop.at(x, y);
                    differing += bgra[3] != p[3] || (p[3] != 0 && (bgra[0] != p[2] || bgra[1] != p[1] || bgra[2] != p[0]));
                }
            }
        EXPECT_EQ(maskWrong, 0);
        EXPECT_GT(opaque, size * size / 4) << "the cells are drawn";
        EXPECT_EQ(differing, 0);
    }
}
