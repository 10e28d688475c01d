// The render device made for a window or a page, its scene brackets, and
// each finished frame shown: letterboxed into the window, or handed to the page.
#include "platform/sdl/SdlRenderDevice.h"

#include "platform/sdl/SdlRenderHelpers.h"

namespace dv::sdl {

using namespace render;

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

}  // namespace dv::sdl
