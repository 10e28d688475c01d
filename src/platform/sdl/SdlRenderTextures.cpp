// Pictures loaded from their files into the frame's pixel layout, and the
// magnified copies the software renderer draws turned ones from.
#include "platform/sdl/SdlRenderDevice.h"

#include <system_error>

#include "platform/sdl/SdlRenderHelpers.h"

namespace dv::sdl {

using namespace render;

TextureId SdlRenderDevice::CreateTextureFromFile(const std::filesystem::path& file, bool useKey,
                                                 std::uint32_t colourKey) {
    RequireDevice("CreateTextureFromFile");
    const std::string name = file.string();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        throw Error(err::FileNotFound, "File non trovato: " + name);
    }
    SurfacePtr loaded(SDL_LoadBMP(name.c_str()));
    if (!loaded) {
        throw Error(err::PathFileAccessError,
                    "Errore di accesso al percorso/file: " + name + " (" + SDL_GetError() + ")");
    }
    SurfacePtr argb(SDL_ConvertSurfaceFormat(loaded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    if (!argb) {
        ThrowSdlRenderError("Impossibile convertire l'immagine " + name);
    }

    // Keyed pixels become transparent black, not transparent key colour: a
    // filtered edge then darkens towards nothing instead of towards the key.
    bool opaque = true;
    bool wholly = true;
    for (int y = 0; y < argb->h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<Uint8*>(argb->pixels) +
                                                     static_cast<std::ptrdiff_t>(y) * argb->pitch);
        for (int x = 0; x < argb->w; ++x) {
            if (useKey && row[x] == colourKey) {
                row[x] = 0;
            }
            opaque = opaque && (row[x] >> 24) == 0xFF;
            wholly = wholly && ((row[x] >> 24) == 0xFF || (row[x] >> 24) == 0);
        }
    }
    std::vector<SDL_Rect> spans;
    if (software_ && !opaque && wholly) {
        spans = OpaqueSpans(argb.get());
    }
    if (alphaFormat_ != SDL_PIXELFORMAT_ARGB8888) {
        argb.reset(SDL_ConvertSurfaceFormat(argb.get(), alphaFormat_, 0));
        if (!argb) {
            ThrowSdlRenderError("Impossibile convertire l'immagine " + name);
        }
    }

    // A picture without transparent pixels is stored without alpha, so the
    // software renderer can copy it outright when drawn opaque and use its
    // whole-surface alpha blend when drawn faded: both are many times faster
    // than its per-pixel alpha blend (see SpriteDraw).
    const Uint32 format = opaque ? opaqueFormat_ : alphaFormat_;
    // On a page's frame an opaque picture may be faded onto it directly (see
    // FadeOverClear), which reads its pixels: only a streaming texture lets
    // them be read, and on the software renderer it is the same surface.
    const int access = pageFrame_ && opaque ? SDL_TEXTUREACCESS_STREAMING : SDL_TEXTUREACCESS_STATIC;
    TexturePtr texture(SDL_CreateTexture(renderer_.get(), format, access, argb->w, argb->h));
    if (!texture) {
        ThrowSdlRenderError("Impossibile creare la texture di " + name);
    }
    Check(SDL_UpdateTexture(texture.get(), nullptr, argb->pixels, argb->pitch), "Impossibile riempire la texture");
    Check(SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND), "Impossibile impostare la fusione della texture");
    Check(SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeLinear), "Impossibile impostare il filtro della texture");
    TexturePtr solid;
    if (!spans.empty()) {
        solid.reset(SDL_CreateTexture(renderer_.get(), opaqueFormat_, SDL_TEXTUREACCESS_STATIC, argb->w, argb->h));
        if (!solid) {
            ThrowSdlRenderError("Impossibile creare la texture di " + name);
        }
        Check(SDL_UpdateTexture(solid.get(), nullptr, argb->pixels, argb->pitch), "Impossibile riempire la texture");
        Check(SDL_SetTextureBlendMode(solid.get(), SDL_BLENDMODE_NONE), "Impossibile impostare la fusione della texture");
    }
    textures_.push_back(
        Texture{std::move(texture), argb->w, argb->h, opaque, {}, std::move(spans), std::move(solid)});
    return static_cast<TextureId>(textures_.size());
}

const SdlRenderDevice::Texture& SdlRenderDevice::TextureAt(TextureId texture) const {
    if (texture < 1 || static_cast<std::size_t>(texture) > textures_.size()) {
        ThrowMisuse("Texture non valida: " + std::to_string(texture));
    }
    return textures_[static_cast<std::size_t>(texture) - 1];
}

Vec2 SdlRenderDevice::TextureSize(TextureId texture) const {
    const Texture& t = TextureAt(texture);
    return {static_cast<float>(t.width), static_cast<float>(t.height)};
}

SDL_Texture* SdlRenderDevice::MagnifiedCopy(Texture& t, int quartersX, int quartersY) {
    for (const Magnified& m : t.magnified) {
        if (m.quartersX == quartersX && m.quartersY == quartersY) {
            return m.texture.get();
        }
    }
    SDL_Renderer* r = renderer_.get();
    const int w = (t.width * quartersX + 2) / 4;
    const int h = (t.height * quartersY + 2) / 4;
    TexturePtr copy(SDL_CreateTexture(r, t.opaque ? opaqueFormat_ : alphaFormat_, SDL_TEXTUREACCESS_TARGET, w, h));
    if (!copy) {
        ThrowSdlRenderError("Impossibile creare la copia ingrandita della texture");
    }
    // A straight scaled copy is where the software renderer does filter.
    Check(SDL_SetRenderTarget(r, copy.get()), "Impossibile ingrandire la texture");
    Tint(t.texture.get(), 0xFFFFFFFFu);
    Check(SDL_SetTextureBlendMode(t.texture.get(), SDL_BLENDMODE_NONE), "Impossibile ingrandire la texture");
    const int copied = SDL_RenderCopy(r, t.texture.get(), nullptr, nullptr);
    Check(SDL_SetRenderTarget(r, target_.get()), "Impossibile disegnare sulla superficie di disegno");
    Check(copied, "Impossibile ingrandire la texture");
    if (t.magnified.size() >= MagnifiedCopiesLimit) {
        t.magnified.erase(t.magnified.begin());
    }
    t.magnified.push_back(Magnified{quartersX, quartersY, std::move(copy)});
    return t.magnified.back().texture.get();
}

}  // namespace dv::sdl
