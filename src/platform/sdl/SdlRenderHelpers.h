#pragma once
// What the render device's files share and nothing else includes: small
// stateless helpers on SDL's types, the limits the device keeps to, and the
// pure functions a frame's drawing is reasoned out with.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"
#include "platform/sdl/SdlText.h"

namespace dv::sdl::render {

struct SurfaceFreer {
    void operator()(SDL_Surface* surface) const noexcept { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFreer>;

[[noreturn]] inline void ThrowMisuse(const std::string& what) {
    throw Error(err::RenderDeviceFailed, what);
}

inline void Check(int sdlResult, const char* what) {
    if (sdlResult != 0) {
        ThrowSdlRenderError(what);
    }
}

struct Argb {
    Uint8 a, r, g, b;
};
constexpr Argb Split(std::uint32_t colour) {
    return {static_cast<Uint8>(colour >> 24), static_cast<Uint8>(colour >> 16), static_cast<Uint8>(colour >> 8),
            static_cast<Uint8>(colour)};
}

inline void Tint(SDL_Texture* texture, std::uint32_t colour) {
    const Argb c = Split(colour);
    Check(SDL_SetTextureColorMod(texture, c.r, c.g, c.b), "Impossibile applicare il colore alla texture");
    Check(SDL_SetTextureAlphaMod(texture, c.a), "Impossibile applicare la trasparenza alla texture");
}

// Coordinates past this are off any screen; it also keeps float-to-int
// conversions defined for wild values.
constexpr float CoordinateLimit = 1.0e7F;
inline bool Sane(float v) {
    return std::isfinite(v) && std::fabs(v) < CoordinateLimit;
}

inline int RoundToPixel(float v) {
    return static_cast<int>(std::floor(v + 0.5F));
}

// The software renderer samples turned and mirrored pictures by nearest
// texel, so a magnified one would show its texels as blocks. It is drawn
// instead from a copy already scaled up with linear filtering to the nearest
// quarter of its scale: the blocks are then at most a fraction of a pixel
// bigger than the pixels. So that wild scales cannot fill the memory, a copy
// is at most MagnifiedSideLimit pixels a side, and a picture keeps at most
// MagnifiedCopiesLimit copies (a bursting cell goes through ten).
constexpr int MagnifiedSideLimit = 1024;
constexpr std::size_t MagnifiedCopiesLimit = 24;

inline int QuarterSteps(float scale, int side) {
    const float wanted = std::round(std::fabs(scale) * 4.0F);
    const float limit = static_cast<float>(std::max(4, MagnifiedSideLimit * 4 / std::max(side, 1)));
    return static_cast<int>(std::clamp(wanted, 4.0F, limit));
}

// The opaque pixels of a picture whose pixels are each wholly opaque or
// wholly transparent, as rectangles: the opaque runs of each row, rows with
// the same runs merged. None when there would be more than SpansLimit, where
// the copies would cost more than the blend they replace.
constexpr std::size_t SpansLimit = 32;
std::vector<SDL_Rect> OpaqueSpans(const SDL_Surface* argb);

inline long long FloorHalf(long long v) {
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

// Line breaks the way the desktop's text drawing takes them: CR LF is one
// break, a lone CR or LF is one too.
std::vector<std::string_view> SplitLines(std::string_view text);

// The GL_RENDERER string of a GL renderer just created (its context is
// current); empty for any other kind of renderer.
std::string GlRendererString(SDL_Renderer* renderer);

}  // namespace dv::sdl::render
