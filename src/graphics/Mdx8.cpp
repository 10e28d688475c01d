#include "graphics/Mdx8.h"

#include <algorithm>
#include <cmath>

namespace dv {

std::uint32_t WhiteWithAlpha(float alpha) {
    const float clamped = std::clamp(alpha, 0.0f, 1.0f);
    const auto a = static_cast<std::uint32_t>(std::lround(clamped * 255.0f));
    return (a << 24) | 0x00FFFFFFu;
}

void Mdx8::InitDevice(int width, int height) {
    device_.CreateDevice(width, height);
}

TextureId Mdx8::LoadTexture(const std::filesystem::path& fileName, std::uint32_t colourKey, bool useKey) {
    return device_.CreateTextureFromFile(fileName, useKey, colourKey);
}

FontId Mdx8::CreateTextFont(const FontDesc& font) {
    return device_.CreateTextFont(font);
}

TextureId Mdx8::TextureAt(std::int16_t tex) const {
    // The game never names a slot outside the table; an odd value draws nothing.
    if (tex < 0 || tex >= static_cast<std::int16_t>(Textures.size())) {
        return 0;
    }
    return Textures[static_cast<std::size_t>(tex)];
}

void Mdx8::DrawSprite(float x, float y, std::int16_t tex, double scaleX, double scaleY, std::int16_t centreX,
                      std::int16_t centreY, std::int16_t angle, float alpha) {
    device_.SpriteBegin();
    device_.SpriteDraw(TextureAt(tex), Vec2{static_cast<float>(scaleX), static_cast<float>(scaleY)},
                       Vec2{static_cast<float>(centreX), static_cast<float>(centreY)},
                       static_cast<float>(angle * DegToRad), Vec2{x, y}, WhiteWithAlpha(alpha));
    device_.SpriteEnd();
}

void Mdx8::DrawCell(std::int16_t column, std::int16_t row, float angle, std::int16_t originX, std::int16_t originY,
                    std::int16_t tex, std::int16_t cellSize, double scale) {
    device_.SpriteBegin();
    const auto tx = static_cast<std::int16_t>(originX + column * cellSize);
    const auto ty = static_cast<std::int16_t>(originY + row * cellSize);
    device_.SpriteDraw(TextureAt(tex), Vec2{static_cast<float>(scale), static_cast<float>(scale)}, Vec2{9, 9},
                       static_cast<float>(angle * DegToRad), Vec2{static_cast<float>(tx), static_cast<float>(ty)},
                       OpaqueWhite);
    device_.SpriteEnd();
}

}  // namespace dv
