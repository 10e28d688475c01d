#include "canvas.h"

#include <SDL.h>

#include <stdexcept>

namespace assetgen {

Mask Mask::dilated(float radius) const
{
    const int r = static_cast<int>(std::ceil(radius));
    struct Tap {
        int dx, dy;
        float weight;
    };
    std::vector<Tap> taps;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
            const float w = clamp01(radius + 0.5f - d);
            if (w > 0)
                taps.push_back({dx, dy, w});
        }
    Mask out(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float best = 0;
            for (const Tap& t : taps)
                best = std::max(best, at(x + t.dx, y + t.dy) * t.weight);
            out.ref(x, y) = best;
        }
    return out;
}

Mask Mask::blurred(int radius) const
{
    if (radius <= 0)
        return *this;
    Mask cur = *this;
    Mask tmp(w_, h_);
    const float norm = 1.0f / static_cast<float>(2 * radius + 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k)
                    s += cur.at(x + k, y);
                tmp.ref(x, y) = s * norm;
            }
        for (int y = 0; y < h_; ++y)
            for (int x = 0; x < w_; ++x) {
                float s = 0;
                for (int k = -radius; k <= radius; ++k)
                    s += tmp.at(x, y + k);
                cur.ref(x, y) = s * norm;
            }
    }
    return cur;
}

Mask Mask::shifted(int dx, int dy) const
{
    Mask out(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            out.ref(x, y) = at(x - dx, y - dy);
    return out;
}

Mask::Box Mask::ink(float threshold) const
{
    Box b{w_, h_, -1, -1};
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x)
            if (at(x, y) > threshold) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
            }
    if (b.x1 < 0)
        return Box{};
    return b;
}

void Canvas::fill(Col c)
{
    for (Px& p : px_)
        p = premul(c, 1.0f);
}

void Canvas::blend(int x, int y, Px s)
{
    if (!inside(x, y))
        return;
    Px& d = at(x, y);
    const float k = 1.0f - s.a;
    d.r = s.r + d.r * k;
    d.g = s.g + d.g * k;
    d.b = s.b + d.b * k;
    d.a = s.a + d.a * k;
}

void Canvas::add(int x, int y, Col c)
{
    if (!inside(x, y))
        return;
    Px& d = at(x, y);
    d.r += c.r;
    d.g += c.g;
    d.b += c.b;
}

void Canvas::draw(const Canvas& src, int x, int y, float opacity)
{
    for (int sy = 0; sy < src.height(); ++sy)
        for (int sx = 0; sx < src.width(); ++sx) {
            const Px& p = src.at(sx, sy);
            blend(x + sx, y + sy, Px{p.r * opacity, p.g * opacity, p.b * opacity, p.a * opacity});
        }
}

Canvas Canvas::crop(int x, int y, int w, int h) const
{
    Canvas out(w, h);
    for (int cy = 0; cy < h; ++cy)
        for (int cx = 0; cx < w; ++cx)
            if (inside(x + cx, y + cy))
                out.at(cx, cy) = at(x + cx, y + cy);
    return out;
}

Canvas Canvas::shrunk(int f) const
{
    Canvas out(w_ / f, h_ / f);
    const float inv = 1.0f / static_cast<float>(f * f);
    for (int y = 0; y < out.h_; ++y)
        for (int x = 0; x < out.w_; ++x) {
            Px acc;
            for (int sy = 0; sy < f; ++sy)
                for (int sx = 0; sx < f; ++sx) {
                    const Px& p = at(x * f + sx, y * f + sy);
                    acc.r += p.r;
                    acc.g += p.g;
                    acc.b += p.b;
                    acc.a += p.a;
                }
            out.at(x, y) = Px{acc.r * inv, acc.g * inv, acc.b * inv, acc.a * inv};
        }
    return out;
}

static std::uint8_t quantise(float v)
{
    return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f));
}

void exportPixel(const Px& p, const Keying& k, std::uint8_t out[3])
{
    if (p.a < k.threshold) {
        out[0] = k.key[0];
        out[1] = k.key[1];
        out[2] = k.key[2];
        return;
    }
    const float rest = 1.0f - std::min(p.a, 1.0f);
    out[0] = quantise(p.r + k.backdrop.r * rest);
    out[1] = quantise(p.g + k.backdrop.g * rest);
    out[2] = quantise(p.b + k.backdrop.b * rest);
    // A visible pixel that happened to land on the key would become a hole.
    if (out[0] == k.key[0] && out[1] == k.key[1] && out[2] == k.key[2])
        out[2] = out[2] < 255 ? out[2] + 1 : out[2] - 1;
}

SDL_Surface* Canvas::toSurface(const Keying& keying) const
{
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w_, h_, 24, SDL_PIXELFORMAT_RGB24);
    if (!s)
        throw std::runtime_error(std::string("SDL_CreateRGBSurfaceWithFormat: ") + SDL_GetError());
    // The row padding is written out by SDL_SaveBMP's own zero bytes, but clear
    // the whole buffer anyway so nothing uninitialised can ever reach a file.
    std::fill_n(static_cast<std::uint8_t*>(s->pixels), static_cast<std::size_t>(s->pitch) * h_, 0);
    for (int y = 0; y < h_; ++y) {
        auto* row = static_cast<std::uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * s->pitch;
        for (int x = 0; x < w_; ++x)
            exportPixel(at(x, y), keying, row + 3 * x);
    }
    return s;
}

void saveBmp(const Canvas& c, const Keying& k, const std::string& path)
{
    SDL_Surface* s = c.toSurface(k);
    const int rc = SDL_SaveBMP(s, path.c_str());
    SDL_FreeSurface(s);
    if (rc != 0)
        throw std::runtime_error("cannot write " + path + ": " + SDL_GetError());
}

} // namespace assetgen
