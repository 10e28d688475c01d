#pragma once
// The drawing device on SDL_Renderer. Every frame is drawn into a target
// texture of exactly the back-buffer size; Present scales it, aspect kept,
// into whatever size the window has. Screenshots therefore always have the
// back-buffer size.
#include <SDL.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RenderDevice.h"
#include "platform/sdl/SdlText.h"

namespace dv::sdl {

// Where a width x height frame goes in an outW x outH output: as large as
// fits with its aspect kept, centred, the rest left for black bars.
SDL_Rect LetterboxRect(int width, int height, int outW, int outH);

// Whether a GL_RENDERER string names a rasteriser that runs on the processor.
bool IsSoftwareRasteriser(std::string_view glRenderer);

class SdlRenderDevice final : public IRenderDevice {
public:
    // Where frames go when the device draws into a frame of its own rather
    // than the window: a web page's canvas. Each pixel is four bytes in
    // memory, red, green, blue and a spare one the sink may overwrite; rows
    // are packed.
    using FrameSink = std::function<void(std::uint32_t* pixels, int width, int height)>;

    // The window must outlive the device; SDL video is already initialised.
    // The bundled fonts serve the faces the system has no file for. Given a
    // sink, Present hands it each frame and the window shows nothing.
    SdlRenderDevice(SDL_Window* window, os::BundledFonts fonts, FrameSink showFrame = {});
    ~SdlRenderDevice() override;
    SdlRenderDevice(const SdlRenderDevice&) = delete;
    SdlRenderDevice& operator=(const SdlRenderDevice&) = delete;

    void CreateDevice(int width, int height) override;

    void Clear(std::uint32_t flags, std::uint32_t colour, float z, std::uint32_t stencil) override;
    void BeginScene() override;
    void EndScene() override;
    void Present() override;

    TextureId CreateTextureFromFile(const std::filesystem::path& file, bool useKey, std::uint32_t colourKey) override;

    void SpriteBegin() override;
    // A negative scale mirrors the picture about the translation point (the
    // texel at u lands at u*sx, left of it). A zero scale or a zero tint
    // alpha draws nothing. A picture drawn larger than it is looks linearly
    // filtered on every renderer, turned and mirrored ones included.
    void SpriteDraw(TextureId texture, Vec2 scale, Vec2 centre, float rotation, Vec2 translation,
                    std::uint32_t tint) override;
    void SpriteEnd() override;

    FontId CreateTextFont(const FontDesc& desc) override;
    // Line breaks are CR LF, a lone LF or a lone CR. Format 1 centres each
    // line on (left + right) / 2 even for an inverted rectangle.
    void DrawText(FontId font, std::uint32_t colour, std::string_view text, RectL rect,
                  std::uint32_t format) override;

    // The picture's size in pixels, as in its file.
    Vec2 TextureSize(TextureId texture) const;

    // Saves the last presented frame, back-buffer sized, as a PNG. Call it
    // after Present and before the next frame draws anything: the frame is
    // kept nowhere else, and a half-drawn one is refused with dv::Error.
    void SaveScreenshot(const std::filesystem::path& png);

    std::string RendererName() const;
    bool IsSoftware() const;

    // The frame being drawn (after Present and before the next drawing: the
    // presented one) as ARGB, row by row, width * height pixels.
    std::vector<std::uint32_t> ReadFrame() const;
    std::uint32_t ReadPixel(int x, int y) const;

    // Text metrics and the line cache, for the runner and the tests.
    int FontLineSkip(FontId font) const;
    int FontHeight(FontId font) const;
    const FontMatch& FontFile(FontId font) const;
    TextLine CachedTextLine(FontId font, std::string_view line);
    std::size_t TextCacheSize() const;

private:
    struct RendererDestroyer {
        void operator()(SDL_Renderer* renderer) const noexcept;
    };
    struct FrameFreer {
        void operator()(SDL_Surface* frame) const noexcept;
    };
    // A linearly up-scaled copy of a picture, in quarter steps of scale.
    struct Magnified {
        int quartersX = 4;
        int quartersY = 4;
        TexturePtr texture;
    };
    struct Texture {
        TexturePtr texture;
        int width = 0;
        int height = 0;
        bool opaque = false;  // stored without alpha
        std::vector<Magnified> magnified;
        // For a picture whose pixels are each wholly opaque or wholly
        // transparent: its opaque parts as a few rectangles, and its pixels
        // stored without alpha. Drawn upright, unscaled and untinted, copying
        // those rectangles gives exactly the blend, without visiting every
        // transparent pixel (a well's frame is nine tenths hole).
        std::vector<SDL_Rect> spans;
        TexturePtr solid;
    };
    // A Clear not yet drawn: rows [top, bottom) of the frame still owe it.
    // The rest were wholly overwritten since by pictures that do not depend
    // on what lies under them, so clearing them was never needed.
    struct OwedClear {
        bool owed = false;
        Uint8 r = 0, g = 0, b = 0;
        int top = 0;
        int bottom = 0;
    };

    using RendererPtr = std::unique_ptr<SDL_Renderer, RendererDestroyer>;
    using FramePtr = std::unique_ptr<SDL_Surface, FrameFreer>;
    // The renderer drawing into the target texture it makes, shown by the
    // window; or, for a page, into the frame it makes. Each sets the pixel
    // formats the pictures share with the frame.
    RendererPtr WindowRenderer(int width, int height, TexturePtr& target);
    RendererPtr PageRenderer(int width, int height, FramePtr& frame);
    void RequireDevice(const char* call) const;
    void RequireScene(const char* call) const;
    void RequireSprite(const char* call) const;
    const Texture& TextureAt(TextureId texture) const;
    SDL_Texture* MagnifiedCopy(Texture& t, int quartersX, int quartersY);
    // Draws the owed rows of the last Clear, before anything that could
    // show them or draw over them.
    void PayClear() const;
    // Before a straight draw into dst: an outright copy covering whole rows
    // at an edge of the owed clear takes them off it; anything else pays it.
    void SettleStraightDraw(const SDL_Rect& dst, bool copy);
    // On a page's frame: a picture as wide as the frame, opaque but faded by
    // the tint's alpha, drawn upright over rows still owed the clear at an
    // edge of them, is blended with the clear colour straight into the frame.
    // True when it was drawn so.
    bool FadeOverClear(const Texture& t, const SDL_Rect& dst, std::uint32_t tint);

    SDL_Window* window_;
    os::BundledFonts fonts_;
    FrameSink showFrame_;
    int width_ = 0;
    int height_ = 0;
    bool inScene_ = false;
    bool inSprite_ = false;
    bool drawnSincePresent_ = false;
    bool software_ = false;
    // The frame's pixel layout, which every picture shares so that copying
    // one onto the frame, and the frame onto the window, converts nothing.
    Uint32 opaqueFormat_ = SDL_PIXELFORMAT_RGB888;
    Uint32 alphaFormat_ = SDL_PIXELFORMAT_ARGB8888;
    mutable OwedClear clear_;
    // With a sink, the frame the renderer draws into and the sink shows as
    // it is; otherwise none, and the frame is target_, shown by the window.
    // Declared before the renderer, which draws into it until destroyed.
    FramePtr pageFrame_;
    // Declared first so it is destroyed last, after every texture made on it.
    RendererPtr renderer_;
    TexturePtr target_;
    std::vector<Texture> textures_;
    std::unique_ptr<SdlText> text_;
};

}  // namespace dv::sdl
