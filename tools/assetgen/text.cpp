#include "text.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <stdexcept>

namespace assetgen {

std::string findFontFile(const std::string& pattern, const std::string& family)
{
    FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (!pat)
        throw std::runtime_error("bad font pattern " + pattern);
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    FcPatternDestroy(pat);
    std::string file, got;
    if (match) {
        FcChar8* s = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &s) == FcResultMatch)
            file = reinterpret_cast<const char*>(s);
        if (FcPatternGetString(match, FC_FAMILY, 0, &s) == FcResultMatch)
            got = reinterpret_cast<const char*>(s);
        FcPatternDestroy(match);
    }
    if (file.empty() || got != family)
        throw std::runtime_error("font family '" + family + "' not installed (fontconfig offered '" + got +
                                 "'); install fonts-comic-neue");
    return file;
}

Fonts::Fonts()
    : bold_(findFontFile("Comic Neue:bold", "Comic Neue")), regular_(findFontFile("Comic Neue:regular", "Comic Neue"))
{
}

Fonts::~Fonts()
{
    for (auto& [key, font] : open_)
        TTF_CloseFont(font);
}

TTF_Font* Fonts::get(Weight w, int pointSize)
{
    const auto key = std::make_pair(static_cast<int>(w), pointSize);
    if (auto it = open_.find(key); it != open_.end())
        return it->second;
    TTF_Font* f = TTF_OpenFont(file(w).c_str(), pointSize);
    if (!f)
        throw std::runtime_error(std::string("TTF_OpenFont: ") + TTF_GetError());
    TTF_SetFontHinting(f, TTF_HINTING_LIGHT);
    open_[key] = f;
    return f;
}

Mask textMask(TTF_Font* font, const std::string& utf8, int pad)
{
    SDL_Surface* raw = TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{255, 255, 255, 255});
    if (!raw)
        throw std::runtime_error(std::string("TTF_RenderUTF8_Blended: ") + TTF_GetError());
    SDL_Surface* s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(raw);
    if (!s)
        throw std::runtime_error(std::string("SDL_ConvertSurfaceFormat: ") + SDL_GetError());
    Mask m(s->w + 2 * pad, s->h + 2 * pad);
    for (int y = 0; y < s->h; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x)
            m.ref(x + pad, y + pad) = static_cast<float>(row[x] >> 24) / 255.0f;
    }
    SDL_FreeSurface(s);
    return m;
}

int letteringPad(const Lettering& s)
{
    int pad = static_cast<int>(std::ceil(s.outlineWidth)) + 2;
    pad += std::max(std::abs(s.shadowDx), std::abs(s.shadowDy)) + 3 * s.shadowBlur;
    if (s.glowOpacity > 0)
        pad = std::max(pad, static_cast<int>(std::ceil(s.outlineWidth)) + 3 * s.glowBlur + 2);
    return pad;
}

void drawLettering(Canvas& c, const Mask& glyphs, int x, int y, const Lettering& s)
{
    const Mask outer = s.outlineWidth > 0 ? glyphs.dilated(s.outlineWidth) : glyphs;
    const Mask::Box box = glyphs.ink();
    if (box.empty())
        return;

    if (s.glowOpacity > 0)
        c.paint(outer.blurred(s.glowBlur), x, y, [&](int, int) { return s.glow; }, s.glowOpacity);
    if (s.shadowOpacity > 0)
        c.paint(outer.blurred(s.shadowBlur).shifted(s.shadowDx, s.shadowDy), x, y,
                [&](int, int) { return s.shadow; }, s.shadowOpacity);
    if (s.outlineWidth > 0)
        c.paint(outer, x, y, [&](int, int) { return s.outline; });

    // The emboss reads the slope of a softened copy of the glyphs: where the
    // edge faces the light (up and left) it brightens, where it faces away it darkens.
    const Mask soft = glyphs.blurred(1);
    const float top = static_cast<float>(box.y0), span = static_cast<float>(std::max(box.h() - 1, 1));
    c.paint(glyphs, x, y, [&](int px, int py) {
        const int mx = px - x, my = py - y;
        const float t = clamp01((static_cast<float>(my) - top) / span);
        Col col = mix(s.top, s.bottom, t);
        if (t < 0.45f)
            col = lighten(col, s.gloss * (1.0f - t / 0.45f));
        const float gx = soft.at(mx + 1, my) - soft.at(mx - 1, my);
        const float gy = soft.at(mx, my + 1) - soft.at(mx, my - 1);
        const float light = (gx * 0.6f + gy * 0.8f) * s.bevel;
        return light > 0 ? lighten(col, std::min(light, 0.8f)) : darken(col, std::min(-light, 0.6f));
    });
}

Mask::Box placeText(Canvas& c, TTF_Font* font, const std::string& utf8, float cx, int y, const Lettering& s)
{
    const int pad = letteringPad(s);
    const Mask m = textMask(font, utf8, pad);
    const Mask::Box ink = m.ink();
    const int ox = static_cast<int>(std::lround(cx - (ink.x0 + ink.x1 + 1) * 0.5f));
    const int oy = y - ink.y0;
    drawLettering(c, m, ox, oy, s);
    return Mask::Box{ink.x0 + ox, ink.y0 + oy, ink.x1 + ox, ink.y1 + oy};
}

int fitPointSize(Fonts& fonts, Weight wt, const std::string& utf8, int w, int h, const Lettering& s, int from)
{
    for (int pt = from; pt > 4; --pt) {
        const Mask m = textMask(fonts.get(wt, pt), utf8, 0);
        const Mask::Box ink = m.ink();
        const int extra = 2 * static_cast<int>(std::ceil(s.outlineWidth));
        const int shadow = s.shadowOpacity > 0 ? std::max(s.shadowDx, s.shadowDy) : 0;
        if (ink.w() + extra + shadow <= w && ink.h() + extra + shadow <= h)
            return pt;
    }
    throw std::runtime_error("text does not fit: " + utf8);
}

} // namespace assetgen
