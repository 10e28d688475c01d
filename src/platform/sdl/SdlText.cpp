#include "platform/sdl/SdlText.h"

#include <cmath>
#include <functional>

#include "platform/Error.h"
#include "platform/os/Utf8Path.h"

namespace dv::sdl {

namespace {

struct SurfaceFreer {
    void operator()(SDL_Surface* surface) const noexcept { SDL_FreeSurface(surface); }
};

[[noreturn]] void ThrowFontError(const std::string& what) {
    throw Error(err::RenderDeviceFailed, what);
}

}  // namespace

void ThrowSdlRenderError(const std::string& what) {
    throw Error(err::RenderDeviceFailed, what + ": " + SDL_GetError());
}

void TextureDeleter::operator()(SDL_Texture* texture) const noexcept {
    SDL_DestroyTexture(texture);
}

void SdlText::FontCloser::operator()(TTF_Font* font) const noexcept {
    TTF_CloseFont(font);
}

int PixelSizeForPoints(int pointSize) {
    return static_cast<int>(std::lround(pointSize * 96.0 / 72.0));
}

std::size_t SdlText::LineKeyHash::operator()(const LineKey& key) const noexcept {
    const std::size_t h = std::hash<std::string>{}(key.text);
    return h ^ (std::hash<FontId>{}(key.font) + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
}

SdlText::SdlText(SDL_Renderer* renderer, os::BundledFonts bundled, Uint32 textureFormat)
    : renderer_(renderer), bundled_(std::move(bundled)), textureFormat_(textureFormat) {
    // SDL_ttf counts its users, so the host may hold it open as well.
    if (TTF_Init() != 0) {
        ThrowSdlRenderError("Impossibile inizializzare SDL_ttf");
    }
}

SdlText::~SdlText() {
    index_.clear();
    lines_.clear();
    fonts_.clear();
    TTF_Quit();
}

FontId SdlText::CreateFont(const FontDesc& desc) {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i].desc == desc) {
            return static_cast<FontId>(i + 1);
        }
    }
    if (desc.pointSize <= 0) {
        ThrowFontError("Dimensione del carattere non valida: " + std::to_string(desc.pointSize));
    }
    if (!finder_) {
        finder_.emplace(bundled_);
    }
    Font font{desc, finder_->Find(desc.face, desc.bold), nullptr};
    const std::string file = Utf8FromPath(font.match.file);
    font.ttf.reset(TTF_OpenFontIndex(file.c_str(), PixelSizeForPoints(desc.pointSize), font.match.index));
    if (!font.ttf) {
        ThrowSdlRenderError("Impossibile aprire il carattere " + file);
    }
    if (desc.bold && font.match.embolden) {
        TTF_SetFontStyle(font.ttf.get(), TTF_STYLE_BOLD);
    }
    // A size is made ready at its first glyph (a hinted font runs its
    // setup program then), and in a page the font code is compiled at its
    // first call: loading one glyph now keeps both out of play, where at a
    // phone's speed they held up a frame by tens of milliseconds.
    TTF_GlyphMetrics32(font.ttf.get(), U'0', nullptr, nullptr, nullptr, nullptr, nullptr);
    fonts_.push_back(std::move(font));
    return static_cast<FontId>(fonts_.size());
}

const SdlText::Font& SdlText::FontAt(FontId font) const {
    if (font < 1 || static_cast<std::size_t>(font) > fonts_.size()) {
        ThrowFontError("Carattere non valido: " + std::to_string(font));
    }
    return fonts_[static_cast<std::size_t>(font) - 1];
}

int SdlText::LineSkip(FontId font) const {
    return TTF_FontLineSkip(FontAt(font).ttf.get());
}

int SdlText::Height(FontId font) const {
    return TTF_FontHeight(FontAt(font).ttf.get());
}

const FontMatch& SdlText::Match(FontId font) const {
    return FontAt(font).match;
}

TextLine SdlText::Line(FontId font, std::string_view text) {
    const Font& f = FontAt(font);
    if (text.empty()) {
        return {nullptr, 0, TTF_FontHeight(f.ttf.get())};
    }
    LineKey key{font, std::string(text)};
    if (auto found = index_.find(key); found != index_.end()) {
        lines_.splice(lines_.begin(), lines_, found->second);
        const CachedLine& line = *found->second;
        return {line.texture.get(), line.width, line.height};
    }

    const SDL_Color white{255, 255, 255, 255};
    std::unique_ptr<SDL_Surface, SurfaceFreer> surface(TTF_RenderUTF8_Blended(f.ttf.get(), key.text.c_str(), white));
    if (!surface) {
        ThrowSdlRenderError("Impossibile disegnare il testo \"" + key.text + "\"");
    }
    if (surface->format->format != textureFormat_) {
        surface.reset(SDL_ConvertSurfaceFormat(surface.get(), textureFormat_, 0));
        if (!surface) {
            ThrowSdlRenderError("Impossibile convertire il testo \"" + key.text + "\"");
        }
    }
    TexturePtr texture(SDL_CreateTextureFromSurface(renderer_, surface.get()));
    if (!texture) {
        ThrowSdlRenderError("Impossibile creare la texture del testo \"" + key.text + "\"");
    }
    if (SDL_SetTextureBlendMode(texture.get(), SDL_BLENDMODE_BLEND) != 0) {
        ThrowSdlRenderError("Impossibile impostare la fusione del testo");
    }

    if (lines_.size() >= CacheCapacity) {
        index_.erase(lines_.back().key);
        lines_.pop_back();
    }
    lines_.push_front(CachedLine{key, std::move(texture), surface->w, surface->h});
    index_.emplace(std::move(key), lines_.begin());
    const CachedLine& line = lines_.front();
    return {line.texture.get(), line.width, line.height};
}

}  // namespace dv::sdl
