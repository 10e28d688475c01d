// Sprites and text drawn into the frame, and the text's metrics.
#include "platform/sdl/SdlRenderDevice.h"

#include <limits>

#include "platform/sdl/SdlRenderHelpers.h"

namespace dv::sdl {

using namespace render;

void SdlRenderDevice::SpriteBegin() {
    RequireScene("SpriteBegin");
    if (inSprite_) {
        ThrowMisuse("SpriteBegin chiamato due volte senza SpriteEnd");
    }
    inSprite_ = true;
}

void SdlRenderDevice::SpriteEnd() {
    RequireSprite("SpriteEnd");
    inSprite_ = false;
}

void SdlRenderDevice::SpriteDraw(TextureId texture, Vec2 scale, Vec2 centre, float rotation, Vec2 translation,
                                 std::uint32_t tint) {
    RequireSprite("SpriteDraw");
    TextureAt(texture);  // refuses an unknown id
    Texture& t = textures_[static_cast<std::size_t>(texture) - 1];
    if (scale.x == 0 || scale.y == 0 || (tint >> 24) == 0) {
        return;
    }
    const float w = static_cast<float>(t.width) * scale.x;
    const float h = static_cast<float>(t.height) * scale.y;
    if (!Sane(w) || !Sane(h) || !Sane(translation.x) || !Sane(translation.y) || !Sane(centre.x) ||
        !Sane(centre.y) || !std::isfinite(rotation)) {
        return;
    }
    SDL_Renderer* r = renderer_.get();
    drawnSincePresent_ = true;

    const bool straight = rotation == 0 && scale.x > 0 && scale.y > 0;
    // An opaque picture drawn opaque covers what it is drawn on entirely, so
    // copying equals blending; the software renderer's blend of a picture
    // without alpha is many times slower than its copy, upright or turned.
    bool copy = t.opaque && (tint >> 24) == 0xFF;

    if (straight) {
        // Whole pixels, both edges rounded: the software renderer would
        // truncate float rectangles, shifting left/up pictures by one.
        const int x0 = RoundToPixel(translation.x);
        const int y0 = RoundToPixel(translation.y);
        const SDL_Rect dst{x0, y0, RoundToPixel(translation.x + w) - x0, RoundToPixel(translation.y + h) - y0};
        if (dst.w <= 0 || dst.h <= 0) {
            return;
        }
        if (FadeOverClear(t, dst, tint)) {
            return;
        }
        SettleStraightDraw(dst, copy);
        if (t.solid && tint == 0xFFFFFFFFu && dst.w == t.width && dst.h == t.height) {
            // Its solid stays untinted and unblended.
            for (const SDL_Rect& span : t.spans) {
                const SDL_Rect to{dst.x + span.x, dst.y + span.y, span.w, span.h};
                Check(SDL_RenderCopy(r, t.solid.get(), &span, &to), "Impossibile disegnare lo sprite");
            }
            return;
        }
        Tint(t.texture.get(), tint);
        Check(SDL_SetTextureBlendMode(t.texture.get(), copy ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND),
              "Impossibile impostare la fusione dello sprite");
        Check(SDL_RenderCopy(r, t.texture.get(), nullptr, &dst), "Impossibile disegnare lo sprite");
        return;
    }
    PayClear();
    Tint(t.texture.get(), tint);
    Check(SDL_SetTextureBlendMode(t.texture.get(), copy ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND),
          "Impossibile impostare la fusione dello sprite");

    // A turned or mirrored picture goes as two textured triangles whose
    // corners carry the whole transform: scale about the top-left corner,
    // turn about the centre, move. The renderer's own turning path builds a
    // turned copy of the picture on every call, which costs far more.
    const float c = std::cos(rotation);
    const float s = std::sin(rotation);
    const SDL_Color colour{static_cast<Uint8>((tint >> 16) & 0xFF), static_cast<Uint8>((tint >> 8) & 0xFF),
                           static_cast<Uint8>(tint & 0xFF), static_cast<Uint8>(tint >> 24)};
    auto corner = [&](float u, float v) {
        const float px = u * w - centre.x;
        const float py = v * h - centre.y;
        return SDL_Vertex{SDL_FPoint{translation.x + centre.x + px * c - py * s,
                                     translation.y + centre.y + px * s + py * c},
                          colour, SDL_FPoint{u, v}};
    };
    const SDL_Vertex corners[4] = {corner(0, 0), corner(1, 0), corner(0, 1), corner(1, 1)};
    static constexpr int kQuad[6] = {0, 1, 2, 1, 3, 2};
    SDL_Texture* source = t.texture.get();
    if (software_ && (std::fabs(scale.x) > 1 || std::fabs(scale.y) > 1)) {
        const int qx = QuarterSteps(scale.x, t.width);
        const int qy = QuarterSteps(scale.y, t.height);
        if (qx != 4 || qy != 4) {
            source = MagnifiedCopy(t, qx, qy);
            Check(SDL_SetTextureBlendMode(source, copy ? SDL_BLENDMODE_NONE : SDL_BLENDMODE_BLEND),
                  "Impossibile impostare la fusione dello sprite");
        }
    }
    // The vertices carry the tint; the texture's own modulation stays white.
    Tint(source, 0xFFFFFFFFu);
    Check(SDL_RenderGeometry(r, source, corners, 4, kQuad, 6), "Impossibile disegnare lo sprite");
}

FontId SdlRenderDevice::CreateTextFont(const FontDesc& desc) {
    RequireDevice("CreateTextFont");
    return text_->CreateFont(desc);
}

void SdlRenderDevice::DrawText(FontId font, std::uint32_t colour, std::string_view text, RectL rect,
                               std::uint32_t format) {
    RequireScene("DrawText");
    const int skip = text_->LineSkip(font);
    if ((colour >> 24) == 0 || text.empty()) {
        return;
    }
    PayClear();
    SDL_Renderer* r = renderer_.get();
    const long long rectW = static_cast<long long>(rect.right) - rect.left;
    const long long rectH = static_cast<long long>(rect.bottom) - rect.top;
    const bool clip = rectW >= 0 && rectH >= 0;
    if (clip && (rectW == 0 || rectH == 0)) {
        return;  // an empty rectangle shows nothing
    }

    SDL_Rect previousClip{};
    const bool hadClip = SDL_RenderIsClipEnabled(r) == SDL_TRUE;
    if (hadClip) {
        SDL_RenderGetClipRect(r, &previousClip);
    }
    if (clip) {
        constexpr long long widest = std::numeric_limits<int>::max();
        const SDL_Rect area{rect.left, rect.top, static_cast<int>(std::min(rectW, widest)),
                            static_cast<int>(std::min(rectH, widest))};
        Check(SDL_RenderSetClipRect(r, &area), "Impossibile limitare il testo al rettangolo");
    }

    const long long centreTwice = static_cast<long long>(rect.left) + rect.right;
    long long y = rect.top;
    try {
        for (std::string_view lineText : SplitLines(text)) {
            if ((clip && y >= rect.bottom) || y >= height_) {
                break;
            }
            const TextLine line = text_->Line(font, lineText);
            if (line.texture != nullptr) {
                const long long x =
                    format == textformat::Center ? FloorHalf(centreTwice - line.width) : static_cast<long long>(rect.left);
                const SDL_Rect dst{static_cast<int>(x), static_cast<int>(y), line.width, line.height};
                Tint(line.texture, colour);
                Check(SDL_RenderCopy(r, line.texture, nullptr, &dst), "Impossibile disegnare il testo");
            }
            y += skip;
        }
    } catch (...) {
        SDL_RenderSetClipRect(r, hadClip ? &previousClip : nullptr);
        throw;
    }
    Check(SDL_RenderSetClipRect(r, hadClip ? &previousClip : nullptr), "Impossibile ripristinare il ritaglio");
    drawnSincePresent_ = true;
}

int SdlRenderDevice::FontLineSkip(FontId font) const {
    RequireDevice("FontLineSkip");
    return text_->LineSkip(font);
}

int SdlRenderDevice::FontHeight(FontId font) const {
    RequireDevice("FontHeight");
    return text_->Height(font);
}

const FontMatch& SdlRenderDevice::FontFile(FontId font) const {
    RequireDevice("FontFile");
    return text_->Match(font);
}

TextLine SdlRenderDevice::CachedTextLine(FontId font, std::string_view line) {
    RequireDevice("CachedTextLine");
    return text_->Line(font, line);
}

std::size_t SdlRenderDevice::TextCacheSize() const {
    RequireDevice("TextCacheSize");
    return text_->CacheSize();
}

}  // namespace dv::sdl
