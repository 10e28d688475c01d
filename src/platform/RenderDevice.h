#pragma once
// The 2-D drawing device the game draws every frame through: frame protocol,
// colour-keyed textures from BMP files, the sprite transform and text.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace dv {

using TextureId = std::int32_t;  // 0 is "no texture"
using FontId = std::int32_t;     // 0 is "no font"

struct Vec2 {
    float x = 0;
    float y = 0;
    friend bool operator==(const Vec2&, const Vec2&) = default;
};

struct RectL {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const RectL&, const RectL&) = default;
};

struct FontDesc {
    std::string face;
    int pointSize = 0;
    bool bold = false;
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

namespace clear {
inline constexpr std::uint32_t Target = 1;
inline constexpr std::uint32_t ZBuffer = 2;
}  // namespace clear

namespace textformat {
inline constexpr std::uint32_t Left = 0;
inline constexpr std::uint32_t Center = 1;
}  // namespace textformat

class IRenderDevice {
public:
    virtual ~IRenderDevice() = default;

    // Creates the device for a back buffer of width x height; throws dv::Error.
    virtual void CreateDevice(int width, int height) = 0;

    virtual void Clear(std::uint32_t flags, std::uint32_t colour, float z, std::uint32_t stencil) = 0;
    virtual void BeginScene() = 0;
    virtual void EndScene() = 0;
    virtual void Present() = 0;

    // Loads a BMP. With useKey every pixel whose ARGB equals colourKey (a file
    // pixel has alpha FF) becomes 0x00000000; without it the file is taken as
    // is. Throws dv::Error naming the file when it is missing or unreadable.
    virtual TextureId CreateTextureFromFile(const std::filesystem::path& file, bool useKey,
                                            std::uint32_t colourKey) = 0;

    // One sprite drawing. A texel at (u, v) lands at: (u*sx, v*sy), rotated by
    // `rotation` radians about `centre` (positive turns clockwise on screen),
    // then moved by `translation`. Colour times tint, alpha-blended.
    virtual void SpriteBegin() = 0;
    virtual void SpriteDraw(TextureId texture, Vec2 scale, Vec2 centre, float rotation, Vec2 translation,
                            std::uint32_t tint) = 0;
    virtual void SpriteEnd() = 0;

    virtual FontId CreateTextFont(const FontDesc& desc) = 0;
    // Lines split at CR LF, drawn from the rectangle's top; format 0 aligns
    // each line left, 1 centres it; clipped to the rectangle. A rectangle whose
    // bottom lies above its top is not clipped: the text starts at its top-left.
    virtual void DrawText(FontId font, std::uint32_t colour, std::string_view text, RectL rect,
                          std::uint32_t format) = 0;
};

}  // namespace dv
