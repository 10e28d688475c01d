#pragma once
// Fonts found through the system's font locator and drawn with SDL_ttf, with
// the rendered lines kept as textures: the game redraws the same few strings
// every frame, and rasterising a line costs far more than copying it.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/RenderDevice.h"
#include "platform/os/FontLocator.h"

namespace dv::sdl {

// Raises dv::Error(RenderDeviceFailed) with `what` and SDL_GetError().
[[noreturn]] void ThrowSdlRenderError(const std::string& what);

// The font file the desktop would use for a face.
using FontMatch = os::FontFile;

// The pixel size a 96-dpi display gives a point size: 24 pt -> 32 px.
int PixelSizeForPoints(int pointSize);

struct TextureDeleter {
    void operator()(SDL_Texture* texture) const noexcept;
};
using TexturePtr = std::unique_ptr<SDL_Texture, TextureDeleter>;

// One line rendered in white with its alpha edges; tinted when copied.
struct TextLine {
    SDL_Texture* texture = nullptr;  // null for an empty line
    int width = 0;
    int height = 0;
};

class SdlText {
public:
    // Lines unused for this many newer distinct lines are dropped, so a
    // score that changes every frame cannot grow the cache without bound.
    static constexpr std::size_t CacheCapacity = 256;

    // The bundled files serve the faces the system has no file for. Lines
    // are stored in textureFormat, best the frame's own layout, so that
    // drawing them converts nothing.
    SdlText(SDL_Renderer* renderer, os::BundledFonts bundled, Uint32 textureFormat = SDL_PIXELFORMAT_ARGB8888);
    ~SdlText();
    SdlText(const SdlText&) = delete;
    SdlText& operator=(const SdlText&) = delete;

    // The same description gives the same id.
    FontId CreateFont(const FontDesc& desc);

    // The line (no line breaks) in white, from the cache when present.
    TextLine Line(FontId font, std::string_view text);

    int LineSkip(FontId font) const;
    int Height(FontId font) const;
    const FontMatch& Match(FontId font) const;
    std::size_t CacheSize() const { return lines_.size(); }

private:
    struct FontCloser {
        void operator()(TTF_Font* font) const noexcept;
    };
    struct Font {
        FontDesc desc;
        FontMatch match;
        std::unique_ptr<TTF_Font, FontCloser> ttf;
    };
    struct LineKey {
        FontId font = 0;
        std::string text;
        friend bool operator==(const LineKey&, const LineKey&) = default;
    };
    struct LineKeyHash {
        std::size_t operator()(const LineKey& key) const noexcept;
    };
    struct CachedLine {
        LineKey key;
        TexturePtr texture;
        int width = 0;
        int height = 0;
    };
    using LruList = std::list<CachedLine>;

    const Font& FontAt(FontId font) const;

    SDL_Renderer* renderer_;
    os::BundledFonts bundled_;
    Uint32 textureFormat_;
    std::optional<os::FontLocator> finder_;  // loaded with the first font
    std::vector<Font> fonts_;
    LruList lines_;  // most recently used first
    std::unordered_map<LineKey, LruList::iterator, LineKeyHash> index_;
};

}  // namespace dv::sdl
