// The clear a frame starts with. On the software renderer it is owed, not
// drawn, until something could show the rows it covers or draw over them
// in a way that depends on them.
#include "platform/sdl/SdlRenderDevice.h"

#include "platform/sdl/SdlRenderHelpers.h"

namespace dv::sdl {

using namespace render;

void SdlRenderDevice::Clear(std::uint32_t flags, std::uint32_t colour, float /*z*/, std::uint32_t /*stencil*/) {
    RequireDevice("Clear");
    if ((flags & clear::Target) == 0) {
        return;
    }
    const Argb c = Split(colour);
    drawnSincePresent_ = true;
    if (software_) {
        // The frame usually starts with a sky as large as itself: clearing
        // first would write every pixel twice.
        clear_ = OwedClear{true, c.r, c.g, c.b, 0, height_};
        return;
    }
    Check(SDL_SetRenderDrawColor(renderer_.get(), c.r, c.g, c.b, 255), "Impossibile impostare il colore di pulizia");
    Check(SDL_RenderClear(renderer_.get()), "Impossibile pulire la superficie di disegno");
}

void SdlRenderDevice::PayClear() const {
    if (!clear_.owed) {
        return;
    }
    clear_.owed = false;
    if (clear_.bottom <= clear_.top) {
        return;
    }
    SDL_Renderer* r = renderer_.get();
    // A clear ignores the clipping and draws its colour outright.
    SDL_Rect previousClip{};
    const bool hadClip = SDL_RenderIsClipEnabled(r) == SDL_TRUE;
    if (hadClip) {
        SDL_RenderGetClipRect(r, &previousClip);
        Check(SDL_RenderSetClipRect(r, nullptr), "Impossibile pulire la superficie di disegno");
    }
    const SDL_Rect rows{0, clear_.top, width_, clear_.bottom - clear_.top};
    Check(SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_NONE), "Impossibile pulire la superficie di disegno");
    Check(SDL_SetRenderDrawColor(r, clear_.r, clear_.g, clear_.b, 255), "Impossibile impostare il colore di pulizia");
    Check(SDL_RenderFillRect(r, &rows), "Impossibile pulire la superficie di disegno");
    if (hadClip) {
        Check(SDL_RenderSetClipRect(r, &previousClip), "Impossibile ripristinare il ritaglio");
    }
}

void SdlRenderDevice::SettleStraightDraw(const SDL_Rect& dst, bool copy) {
    if (!clear_.owed) {
        return;
    }
    const int top = std::max(dst.y, 0);
    const int bottom = std::min(dst.y + dst.h, height_);
    const bool wholeRows = copy && dst.x <= 0 && dst.x + dst.w >= width_ && top < bottom;
    if (wholeRows && top <= clear_.top && bottom > clear_.top) {
        clear_.top = std::min(bottom, clear_.bottom);
    } else if (wholeRows && bottom >= clear_.bottom && top < clear_.bottom) {
        clear_.bottom = std::max(top, clear_.top);
    } else {
        PayClear();
        return;
    }
    if (clear_.bottom <= clear_.top) {
        clear_.owed = false;
    }
}

bool SdlRenderDevice::FadeOverClear(const Texture& t, const SDL_Rect& dst, std::uint32_t tint) {
    const std::uint32_t alpha = tint >> 24;
    if (!pageFrame_ || !clear_.owed || !t.opaque || alpha == 0 || alpha == 0xFF || (tint & 0xFFFFFFu) != 0xFFFFFFu ||
        dst.x != 0 || dst.w != width_ || t.width != width_ || dst.h != t.height ||
        SDL_RenderIsClipEnabled(renderer_.get()) == SDL_TRUE) {
        return false;
    }
    const int top = std::max(dst.y, 0);
    const int bottom = std::min(dst.y + dst.h, height_);
    if (top >= bottom || top < clear_.top || bottom > clear_.bottom || (top != clear_.top && bottom != clear_.bottom)) {
        return false;
    }
    void* pixels = nullptr;
    int pitch = 0;
    Check(SDL_RenderFlush(renderer_.get()), "Impossibile disegnare lo sprite");
    Check(SDL_LockTexture(t.texture.get(), nullptr, &pixels, &pitch), "Impossibile leggere la texture");
    // Exactly the software renderer's blend of a picture faded by its
    // whole-surface alpha (the same arithmetic, alpha one half included),
    // with the clear colour standing for the frame's pixels: the rows are
    // neither cleared first nor read back.
    const std::uint32_t c = SDL_MapRGB(pageFrame_->format, clear_.r, clear_.g, clear_.b) & 0xFFFFFFu;
    const std::uint32_t c1 = c & 0xFF00FFu;
    const std::uint32_t c2 = c & 0xFF00u;
    for (int y = top; y < bottom; ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(pixels) +
                                                                  static_cast<std::ptrdiff_t>(y - dst.y) * pitch);
        auto* to = reinterpret_cast<std::uint32_t*>(static_cast<Uint8*>(pageFrame_->pixels) +
                                                    static_cast<std::ptrdiff_t>(y) * pageFrame_->pitch);
        if (alpha == 128) {
            for (int x = 0; x < width_; ++x) {
                const std::uint32_t p = from[x];
                to[x] = ((((p & 0x00FEFEFEu) + (c & 0x00FEFEFEu)) >> 1) + (p & c & 0x00010101u)) | 0xFF000000u;
            }
        } else {
            for (int x = 0; x < width_; ++x) {
                const std::uint32_t p = from[x];
                const std::uint32_t p1 = (c1 + (((p & 0xFF00FFu) - c1) * alpha >> 8)) & 0xFF00FFu;
                const std::uint32_t p2 = (c2 + (((p & 0xFF00u) - c2) * alpha >> 8)) & 0xFF00u;
                to[x] = p1 | p2 | 0xFF000000u;
            }
        }
    }
    SDL_UnlockTexture(t.texture.get());
    if (top == clear_.top) {
        clear_.top = bottom;
    } else {
        clear_.bottom = top;
    }
    clear_.owed = clear_.top < clear_.bottom;
    return true;
}

}  // namespace dv::sdl
