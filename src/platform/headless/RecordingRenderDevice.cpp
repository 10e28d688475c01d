#include "platform/headless/RecordingRenderDevice.h"

#include "platform/Error.h"

namespace dv {
namespace {

DrawCall Marker(DrawCall::Kind kind) {
    DrawCall call;
    call.kind = kind;
    return call;
}

}  // namespace

void RecordingRenderDevice::CreateDevice(int width, int height) {
    if (width <= 0 || height <= 0) {
        throw Error(err::RenderDeviceFailed, "Dimensioni dello schermo non valide");
    }
    created_ = true;
}

void RecordingRenderDevice::Record(DrawCall call) {
    if (record_) {
        frame_.push_back(std::move(call));
    }
}

void RecordingRenderDevice::Clear(std::uint32_t flags, std::uint32_t colour, float z, std::uint32_t) {
    frame_.clear();
    DrawCall call;
    call.kind = DrawCall::Kind::Clear;
    call.flags = flags;
    call.colour = colour;
    call.z = z;
    Record(std::move(call));
}

void RecordingRenderDevice::BeginScene() {
    if (inScene_) {
        throw Error(err::RenderDeviceFailed, "BeginScene dentro una scena aperta");
    }
    inScene_ = true;
    Record(Marker(DrawCall::Kind::BeginScene));
}

void RecordingRenderDevice::EndScene() {
    if (!inScene_ || spriteDepth_ != 0) {
        throw Error(err::RenderDeviceFailed, "EndScene senza una scena aperta");
    }
    inScene_ = false;
    Record(Marker(DrawCall::Kind::EndScene));
}

void RecordingRenderDevice::Present() {
    ++presented_;
    Record(Marker(DrawCall::Kind::Present));
}

TextureId RecordingRenderDevice::CreateTextureFromFile(const std::filesystem::path& file, bool useKey,
                                                       std::uint32_t colourKey) {
    if (requireFiles_ && !std::filesystem::is_regular_file(file)) {
        throw Error(err::FileNotFound, "File non trovato: " + file.string());
    }
    textures_.push_back(LoadedTexture{file, useKey, colourKey});
    return static_cast<TextureId>(textures_.size());
}

void RecordingRenderDevice::SpriteBegin() {
    if (!inScene_ || spriteDepth_ != 0) {
        throw Error(err::RenderDeviceFailed, "Sprite Begin fuori posto");
    }
    ++spriteDepth_;
}

void RecordingRenderDevice::SpriteDraw(TextureId texture, Vec2 scale, Vec2 centre, float rotation, Vec2 translation,
                                       std::uint32_t tint) {
    if (spriteDepth_ != 1) {
        throw Error(err::RenderDeviceFailed, "Sprite Draw senza Begin");
    }
    if (!record_) {
        return;
    }
    DrawCall call;
    call.kind = DrawCall::Kind::Sprite;
    call.texture = texture;
    call.scale = scale;
    call.centre = centre;
    call.rotation = rotation;
    call.translation = translation;
    call.colour = tint;
    frame_.push_back(std::move(call));
}

void RecordingRenderDevice::SpriteEnd() {
    if (spriteDepth_ != 1) {
        throw Error(err::RenderDeviceFailed, "Sprite End senza Begin");
    }
    --spriteDepth_;
}

FontId RecordingRenderDevice::CreateTextFont(const FontDesc& desc) {
    fonts_.push_back(desc);
    return static_cast<FontId>(fonts_.size());
}

void RecordingRenderDevice::DrawText(FontId font, std::uint32_t colour, std::string_view text, RectL rect,
                                     std::uint32_t format) {
    if (!inScene_) {
        throw Error(err::RenderDeviceFailed, "DrawText fuori dalla scena");
    }
    if (!record_) {
        return;
    }
    DrawCall call;
    call.kind = DrawCall::Kind::Text;
    call.font = font;
    call.colour = colour;
    call.text = std::string(text);
    call.rect = rect;
    call.format = format;
    frame_.push_back(std::move(call));
}

std::vector<DrawCall> RecordingRenderDevice::Sprites() const {
    std::vector<DrawCall> out;
    for (const DrawCall& c : frame_) {
        if (c.kind == DrawCall::Kind::Sprite) {
            out.push_back(c);
        }
    }
    return out;
}

std::vector<DrawCall> RecordingRenderDevice::Texts() const {
    std::vector<DrawCall> out;
    for (const DrawCall& c : frame_) {
        if (c.kind == DrawCall::Kind::Text) {
            out.push_back(c);
        }
    }
    return out;
}

std::string RecordingRenderDevice::TextureFile(TextureId id) const {
    if (id < 1 || static_cast<std::size_t>(id) > textures_.size()) {
        return {};
    }
    return textures_[static_cast<std::size_t>(id) - 1].file.filename().string();
}

}  // namespace dv
