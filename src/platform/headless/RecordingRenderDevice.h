#pragma once
// A drawing device that draws nothing and remembers every call of the frame
// being built, so a test can assert the exact picture a player would see.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/RenderDevice.h"

namespace dv {

struct DrawCall {
    enum class Kind { Clear, BeginScene, EndScene, Present, SpriteBegin, Sprite, SpriteEnd, Text };
    Kind kind = Kind::Sprite;
    // Sprite
    TextureId texture = 0;
    Vec2 scale;
    Vec2 centre;
    float rotation = 0;
    Vec2 translation;
    std::uint32_t colour = 0;  // sprite tint, text colour or clear colour
    // Text
    FontId font = 0;
    std::string text;
    RectL rect;
    std::uint32_t format = 0;
    // Clear
    std::uint32_t flags = 0;
    float z = 0;
};

struct LoadedTexture {
    std::filesystem::path file;
    bool useKey = false;
    std::uint32_t colourKey = 0;
};

class RecordingRenderDevice final : public IRenderDevice {
public:
    // With `requireFiles` a texture whose file is missing fails as the real
    // device would; without it any name loads.
    explicit RecordingRenderDevice(bool requireFiles = false, bool record = true)
        : requireFiles_(requireFiles), record_(record) {}

    void CreateDevice(int width, int height) override;
    void Clear(std::uint32_t flags, std::uint32_t colour, float z, std::uint32_t stencil) override;
    void BeginScene() override;
    void EndScene() override;
    void Present() override;
    TextureId CreateTextureFromFile(const std::filesystem::path& file, bool useKey, std::uint32_t colourKey) override;
    void SpriteBegin() override;
    void SpriteDraw(TextureId texture, Vec2 scale, Vec2 centre, float rotation, Vec2 translation,
                    std::uint32_t tint) override;
    void SpriteEnd() override;
    FontId CreateTextFont(const FontDesc& desc) override;
    void DrawText(FontId font, std::uint32_t colour, std::string_view text, RectL rect, std::uint32_t format) override;

    // The calls since the latest Clear, and the frames presented so far.
    const std::vector<DrawCall>& Frame() const { return frame_; }
    std::vector<DrawCall> Sprites() const;
    std::vector<DrawCall> Texts() const;
    std::uint64_t FramesPresented() const { return presented_; }

    const std::vector<LoadedTexture>& Textures() const { return textures_; }
    const std::vector<FontDesc>& Fonts() const { return fonts_; }
    // The file a texture id was loaded from ("" for none).
    std::string TextureFile(TextureId id) const;
    bool Created() const { return created_; }

private:
    void Record(DrawCall call);

    bool requireFiles_;
    bool record_;
    bool created_ = false;
    bool inScene_ = false;
    int spriteDepth_ = 0;
    std::uint64_t presented_ = 0;
    std::vector<DrawCall> frame_;
    std::vector<LoadedTexture> textures_;
    std::vector<FontDesc> fonts_;
};

}  // namespace dv
