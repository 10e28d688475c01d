#include "platform/sdl/SdlRenderDevice.h"

#include <SDL_image.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <system_error>

#include "platform/Error.h"

namespace dv::sdl {

namespace {

struct SurfaceFreer {
    void operator()(SDL_Surface* surface) const noexcept { SDL_FreeSurface(surface); }
};
using SurfacePtr = std::unique_ptr<SDL_Surface, SurfaceFreer>;

[[noreturn]] void ThrowMisuse(const std::string& what) {
    throw Error(err::RenderDeviceFailed, what);
}

void Check(int sdlResult, const char* what) {
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

void Tint(SDL_Texture* texture, std::uint32_t colour) {
    const Argb c = Split(colour);
    Check(SDL_SetTextureColorMod(texture, c.r, c.g, c.b), "Impossibile applicare il colore alla texture");
    Check(SDL_SetTextureAlphaMod(texture, c.a), "Impossibile applicare la trasparenza alla texture");
}

// Coordinates past this are off any screen; it also keeps float-to-int
// conversions defined for wild values.
constexpr float CoordinateLimit = 1.0e7F;
bool Sane(float v) {
    return std::isfinite(v) && std::fabs(v) < CoordinateLimit;
}

int RoundToPixel(float v) {
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

int QuarterSteps(float scale, int side) {
    const float wanted = std::round(std::fabs(scale) * 4.0F);
    const float limit = static_cast<float>(std::max(4, MagnifiedSideLimit * 4 / std::max(side, 1)));
    return static_cast<int>(std::clamp(wanted, 4.0F, limit));
}

// The opaque pixels of a picture whose pixels are each wholly opaque or
// wholly transparent, as rectangles: the opaque runs of each row, rows with
// the same runs merged. None when there would be more than SpansLimit, where
// the copies would cost more than the blend they replace.
constexpr std::size_t SpansLimit = 32;

std::vector<SDL_Rect> OpaqueSpans(const SDL_Surface* argb) {
    std::vector<SDL_Rect> spans;
    std::vector<SDL_Rect> row;
    std::vector<SDL_Rect> previous;
    for (int y = 0; y < argb->h; ++y) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(argb->pixels) +
                                                                    static_cast<std::ptrdiff_t>(y) * argb->pitch);
        row.clear();
        for (int x = 0; x < argb->w;) {
            if ((pixels[x] >> 24) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < argb->w && (pixels[x] >> 24) != 0) {
                ++x;
            }
            row.push_back(SDL_Rect{start, y, x - start, 1});
        }
        const bool same = row.size() == previous.size() &&
                          std::equal(row.begin(), row.end(), previous.begin(), [](const SDL_Rect& a, const SDL_Rect& b) {
                              return a.x == b.x && a.w == b.w;
                          });
        if (same) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                ++spans[spans.size() - row.size() + i].h;
            }
        } else {
            spans.insert(spans.end(), row.begin(), row.end());
            if (spans.size() > SpansLimit) {
                return {};
            }
        }
        previous.swap(row);
    }
    return spans;
}

long long FloorHalf(long long v) {
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

// Line breaks the way the desktop's text drawing takes them: CR LF is one
// break, a lone CR or LF is one too.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

// The GL_RENDERER string of a GL renderer just created (its context is
// current); empty for any other kind of renderer.
std::string GlRendererString(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || info.name == nullptr ||
        std::string_view(info.name).substr(0, 6) != "opengl") {
        return {};
    }
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int glRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* text = getString != nullptr ? getString(glRenderer) : nullptr;
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace

bool IsSoftwareRasteriser(std::string_view glRenderer) {
    for (std::string_view name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SwiftShader"}) {
        if (glRenderer.find(name) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

SDL_Rect LetterboxRect(int width, int height, int outW, int outH) {
    if (width <= 0 || height <= 0 || outW <= 0 || outH <= 0) {
        return {0, 0, 0, 0};
    }
    // Compare the aspects in integers so an exact fit stays exact.
    const long long wide = static_cast<long long>(outW) * height;
    const long long tall = static_cast<long long>(outH) * width;
    int w = outW;
    int h = outH;
    if (wide > tall) {
        w = static_cast<int>((static_cast<long long>(outH) * width + height / 2) / height);
    } else if (wide < tall) {
        h = static_cast<int>((static_cast<long long>(outW) * height + width / 2) / width);
    }
    return {(outW - w) / 2, (outH - h) / 2, w, h};
}

void SdlRenderDevice::RendererDestroyer::operator()(SDL_Renderer* renderer) const noexcept {
    SDL_DestroyRenderer(renderer);
}

void SdlRenderDevice::FrameFreer::operator()(SDL_Surface* frame) const noexcept {
    SDL_FreeSurface(frame);
}

SdlRenderDevice::SdlRenderDevice(SDL_Window* window, os::BundledFonts fonts, FrameSink showFrame)
    : window_(window), fonts_(std::move(fonts)), showFrame_(std::move(showFrame)) {
    if (window_ == nullptr) {
        ThrowMisuse("Finestra mancante per il dispositivo grafico");
    }
}

SdlRenderDevice::~SdlRenderDevice() = default;

void SdlRenderDevice::CreateDevice(int width, int height) {
    if (renderer_) {
        ThrowMisuse("Dispositivo grafico già creato");
    }
    if (width <= 0 || height <= 0) {
        ThrowMisuse("Dimensioni del dispositivo grafico non valide: " + std::to_string(width) + "x" +
                    std::to_string(height));
    }
    FramePtr frame;
    TexturePtr target;
    RendererPtr renderer = showFrame_ ? PageRenderer(width, height, frame) : WindowRenderer(width, height, target);
    Check(SDL_SetRenderDrawColor(renderer.get(), 0, 0, 0, 255), "Impossibile pulire la superficie di disegno");
    Check(SDL_RenderClear(renderer.get()), "Impossibile pulire la superficie di disegno");
    if (frame) {
        // The canvas's first frame costs several ordinary ones (the browser
        // sets up its pixels then): shown now, while loading, not as the
        // game's first.
        Check(SDL_RenderFlush(renderer.get()), "Impossibile pulire la superficie di disegno");
        showFrame_(static_cast<std::uint32_t*>(frame->pixels), width, height);
    }

    auto text = std::make_unique<SdlText>(renderer.get(), fonts_, alphaFormat_);
    pageFrame_ = std::move(frame);
    renderer_ = std::move(renderer);
    target_ = std::move(target);
    text_ = std::move(text);
    width_ = width;
    height_ = height;
}

SdlRenderDevice::RendererPtr SdlRenderDevice::WindowRenderer(int width, int height, TexturePtr& target) {
    // No vsync: the game paces itself with its own tick.
    RendererPtr renderer(
        SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_TARGETTEXTURE));
    // GL drawn by the processor is "accelerated" only in name: measured at
    // tens of milliseconds for a frame SDL's own software renderer draws in
    // one or two. A renderer the user chose through SDL's hint is kept.
    if (renderer && SDL_GetHint(SDL_HINT_RENDER_DRIVER) == nullptr &&
        IsSoftwareRasteriser(GlRendererString(renderer.get()))) {
        renderer.reset();
    }
    if (!renderer) {
        renderer.reset(SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_TARGETTEXTURE));
    }
    if (!renderer) {
        ThrowSdlRenderError("Impossibile creare il dispositivo grafico");
    }
    SDL_RendererInfo info{};
    Check(SDL_GetRendererInfo(renderer.get(), &info), "Impossibile leggere il tipo di dispositivo grafico");
    software_ = (info.flags & SDL_RENDERER_SOFTWARE) != 0;
    // The software renderer draws into the window's own pixels. Where their
    // red and blue lie the other way round, the frame
    // and every picture take that order: presenting is then a plain copy
    // instead of a swap of every pixel, and blends give the same colours.
    SDL_Surface* windowPixels = software_ ? SDL_GetWindowSurface(window_) : nullptr;
    if (windowPixels != nullptr && windowPixels->format->format == SDL_PIXELFORMAT_BGR888) {
        opaqueFormat_ = SDL_PIXELFORMAT_BGR888;
        alphaFormat_ = SDL_PIXELFORMAT_ABGR8888;
    }
    // Without alpha, like the original back buffer: a clear colour's alpha
    // never leaks into screenshots.
    target.reset(SDL_CreateTexture(renderer.get(), opaqueFormat_, SDL_TEXTUREACCESS_TARGET, width, height));
    if (!target) {
        ThrowSdlRenderError("Impossibile creare la superficie di disegno");
    }
    Check(SDL_SetTextureBlendMode(target.get(), SDL_BLENDMODE_NONE), "Impossibile impostare la superficie di disegno");
    Check(SDL_SetTextureScaleMode(target.get(), SDL_ScaleModeLinear), "Impossibile impostare la superficie di disegno");
    Check(SDL_SetRenderTarget(renderer.get(), target.get()), "Impossibile disegnare sulla superficie di disegno");
    return renderer;
}

SdlRenderDevice::RendererPtr SdlRenderDevice::PageRenderer(int width, int height, FramePtr& frame) {
    // SDL's own way to a page copies each frame into the window's pixels,
    // copies those again in JavaScript and sets every alpha there, one pixel
    // at a time: together a third of the page's work at a phone's speed. The
    // software renderer draws instead into a frame the page shows as it is,
    // in the canvas's byte order, so that pictures copy onto it unconverted.
    frame.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_BGR888));
    if (!frame) {
        ThrowSdlRenderError("Impossibile creare la superficie di disegno");
    }
    RendererPtr renderer(SDL_CreateSoftwareRenderer(frame.get()));
    if (!renderer) {
        ThrowSdlRenderError("Impossibile creare il dispositivo grafico");
    }
    software_ = true;
    opaqueFormat_ = SDL_PIXELFORMAT_BGR888;
    alphaFormat_ = SDL_PIXELFORMAT_ABGR8888;
    return renderer;
}

void SdlRenderDevice::RequireDevice(const char* call) const {
    if (!renderer_) {
        ThrowMisuse(std::string(call) + ": dispositivo grafico non creato");
    }
}

void SdlRenderDevice::RequireScene(const char* call) const {
    RequireDevice(call);
    if (!inScene_) {
        ThrowMisuse(std::string(call) + " fuori da BeginScene/EndScene");
    }
}

void SdlRenderDevice::RequireSprite(const char* call) const {
    RequireScene(call);
    if (!inSprite_) {
        ThrowMisuse(std::string(call) + " fuori da SpriteBegin/SpriteEnd");
    }
}

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

void SdlRenderDevice::BeginScene() {
    RequireDevice("BeginScene");
    if (inScene_) {
        ThrowMisuse("BeginScene chiamato due volte senza EndScene");
    }
    inScene_ = true;
}

void SdlRenderDevice::EndScene() {
    RequireScene("EndScene");
    if (inSprite_) {
        ThrowMisuse("EndScene chiamato prima di SpriteEnd");
    }
    inScene_ = false;
}

void SdlRenderDevice::Present() {
    RequireDevice("Present");
    if (inScene_) {
        ThrowMisuse("Present chiamato prima di EndScene");
    }
    PayClear();
    SDL_Renderer* r = renderer_.get();
    if (pageFrame_) {
        // The renderer keeps drawing commands until something needs the pixels.
        Check(SDL_RenderFlush(r), "Impossibile completare il fotogramma");
        showFrame_(static_cast<std::uint32_t*>(pageFrame_->pixels), width_, height_);
        drawnSincePresent_ = false;
        return;
    }
    Check(SDL_SetRenderTarget(r, nullptr), "Impossibile disegnare sulla finestra");
    int outW = 0;
    int outH = 0;
    Check(SDL_GetRendererOutputSize(r, &outW, &outH), "Impossibile leggere le dimensioni della finestra");
    const SDL_Rect frame = LetterboxRect(width_, height_, outW, outH);
    if (frame.w != outW || frame.h != outH) {
        // Only the bars: the picture covers the rest, and on the software
        // renderer clearing a whole desktop-sized window every frame cost a
        // tenth of the letterboxed present.
        const SDL_Rect bars[] = {{0, 0, outW, frame.y},
                                 {0, frame.y + frame.h, outW, outH - frame.y - frame.h},
                                 {0, frame.y, frame.x, frame.h},
                                 {frame.x + frame.w, frame.y, outW - frame.x - frame.w, frame.h}};
        Check(SDL_SetRenderDrawColor(r, 0, 0, 0, 255), "Impossibile impostare il colore delle bande");
        for (const SDL_Rect& bar : bars) {
            if (bar.w > 0 && bar.h > 0) {
                Check(SDL_RenderFillRect(r, &bar), "Impossibile disegnare le bande nere");
            }
        }
    }
    if (frame.w > 0 && frame.h > 0) {
        Check(SDL_RenderCopy(r, target_.get(), nullptr, &frame), "Impossibile copiare il fotogramma sulla finestra");
    }
    SDL_RenderPresent(r);
    Check(SDL_SetRenderTarget(r, target_.get()), "Impossibile disegnare sulla superficie di disegno");
    drawnSincePresent_ = false;
}

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

std::vector<std::uint32_t> SdlRenderDevice::ReadFrame() const {
    RequireDevice("ReadFrame");
    PayClear();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    Check(SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                               width_ * static_cast<int>(sizeof(std::uint32_t))),
          "Impossibile leggere il fotogramma");
    return pixels;
}

std::uint32_t SdlRenderDevice::ReadPixel(int x, int y) const {
    RequireDevice("ReadPixel");
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        ThrowMisuse("Punto fuori dal fotogramma: " + std::to_string(x) + "," + std::to_string(y));
    }
    PayClear();
    std::uint32_t pixel = 0;
    const SDL_Rect one{x, y, 1, 1};
    Check(SDL_RenderReadPixels(renderer_.get(), &one, SDL_PIXELFORMAT_ARGB8888, &pixel, sizeof pixel),
          "Impossibile leggere il fotogramma");
    return pixel;
}

void SdlRenderDevice::SaveScreenshot(const std::filesystem::path& png) {
    RequireDevice("SaveScreenshot");
    if (drawnSincePresent_ || inScene_) {
        ThrowMisuse("SaveScreenshot chiamato a fotogramma iniziato: va chiamato subito dopo Present");
    }
    std::vector<std::uint32_t> pixels = ReadFrame();
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width_, height_, 32,
                                                          width_ * static_cast<int>(sizeof(std::uint32_t)),
                                                          SDL_PIXELFORMAT_RGB888));
    if (!surface) {
        ThrowSdlRenderError("Impossibile preparare la schermata");
    }
    const std::string name = png.string();
    if (IMG_SavePNG(surface.get(), name.c_str()) != 0) {
        throw Error(err::PathFileAccessError,
                    "Errore di accesso al percorso/file: " + name + " (" + SDL_GetError() + ")");
    }
}

std::string SdlRenderDevice::RendererName() const {
    RequireDevice("RendererName");
    SDL_RendererInfo info{};
    Check(SDL_GetRendererInfo(renderer_.get(), &info), "Impossibile leggere il tipo di dispositivo grafico");
    return info.name != nullptr ? info.name : "";
}

bool SdlRenderDevice::IsSoftware() const {
    RequireDevice("IsSoftware");
    SDL_RendererInfo info{};
    Check(SDL_GetRendererInfo(renderer_.get(), &info), "Impossibile leggere il tipo di dispositivo grafico");
    return (info.flags & SDL_RENDERER_SOFTWARE) != 0;
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
