#pragma once
// The drawing core: the device, the texture table, the two text fonts and the
// two routines through which every texture reaches the screen.
#include <array>
#include <cstdint>
#include <filesystem>

#include "platform/RenderDevice.h"

namespace dv {

// Whole degrees become radians with pi taken as 3.14, as the game always did.
inline constexpr double DegToRad = 0.017444444444444446;

inline constexpr std::uint32_t KeyBlack = 0xFF000000u;
inline constexpr std::uint32_t KeyGrey = 0xFF4F4F4Fu;
inline constexpr std::uint32_t OpaqueWhite = 0xFFFFFFFFu;

// White with an alpha between 0 and 1.
std::uint32_t WhiteWithAlpha(float alpha);

class Mdx8 {
public:
    explicit Mdx8(IRenderDevice& device) : device_(device) {}

    IRenderDevice& Device() { return device_; }

    void InitDevice(int width, int height);
    TextureId LoadTexture(const std::filesystem::path& fileName, std::uint32_t colourKey, bool useKey);
    FontId CreateTextFont(const FontDesc& font);

    void DrawSprite(float x, float y, std::int16_t tex, double scaleX, double scaleY, std::int16_t centreX,
                    std::int16_t centreY, std::int16_t angle, float alpha);
    void DrawCell(std::int16_t column, std::int16_t row, float angle, std::int16_t originX, std::int16_t originY,
                  std::int16_t tex, std::int16_t cellSize, double scale);

    // Slots 0, 10, 12 and 13 stay empty.
    std::array<TextureId, 21> Textures{};
    // [0] large (bold 24 pt), [1] small (bold 12 pt).
    std::array<FontId, 2> GameFonts{};

private:
    TextureId TextureAt(std::int16_t tex) const;

    IRenderDevice& device_;
};

}  // namespace dv
