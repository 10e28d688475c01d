#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

struct SDL_Surface;

namespace assetgen {

// Colours are linear-ish floats in [0, 1]; they are only quantised on export.
struct Col {
    float r = 0, g = 0, b = 0;
};

inline Col rgb(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }
inline Col operator+(Col a, Col b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Col operator-(Col a, Col b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Col operator*(Col a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Col operator*(Col a, Col b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Col mix(Col a, Col b, float t) { return a + (b - a) * t; }
inline Col lighten(Col c, float t) { return mix(c, Col{1, 1, 1}, t); }
inline Col darken(Col c, float t) { return c * (1.0f - t); }
inline float clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
inline float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
inline float luma(Col c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

// A premultiplied pixel, so that layering is a single multiply-add.
struct Px {
    float r = 0, g = 0, b = 0, a = 0;
};

inline Px premul(Col c, float a) { return {c.r * a, c.g * a, c.b * a, a}; }

// A single-channel coverage map: rendered type, outlines, shadows.
class Mask {
public:
    Mask() = default;
    Mask(int w, int h) : w_(w), h_(h), v_(static_cast<std::size_t>(w) * h, 0.0f) {}

    int width() const { return w_; }
    int height() const { return h_; }
    float at(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= w_ || y >= h_)
            return 0.0f;
        return v_[static_cast<std::size_t>(y) * w_ + x];
    }
    float& ref(int x, int y) { return v_[static_cast<std::size_t>(y) * w_ + x]; }

    // Grey-level dilation by a disc; the fractional rim keeps outlines smooth.
    Mask dilated(float radius) const;
    // Three box passes approximate a Gaussian of about this radius.
    Mask blurred(int radius) const;
    Mask shifted(int dx, int dy) const;

    struct Box {
        int x0 = 0, y0 = 0, x1 = -1, y1 = -1; // inclusive; empty when x1 < x0
        bool empty() const { return x1 < x0; }
        int w() const { return x1 - x0 + 1; }
        int h() const { return y1 - y0 + 1; }
    };
    Box ink(float threshold = 0.05f) const;

private:
    int w_ = 0, h_ = 0;
    std::vector<float> v_;
};

// How a picture becomes a colour-keyed texture: where it is (mostly)
// transparent it becomes exactly the key, and partly covered edges are
// flattened onto the colour it will most likely be seen against, so that no
// dark fringe is left once the key has punched the surroundings out.
struct Keying {
    std::uint8_t key[3] = {0, 0, 0};
    Col backdrop = rgb(14, 14, 32);
    float threshold = 0.3f;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h) {}

    int width() const { return w_; }
    int height() const { return h_; }
    const Px& at(int x, int y) const { return px_[static_cast<std::size_t>(y) * w_ + x]; }
    Px& at(int x, int y) { return px_[static_cast<std::size_t>(y) * w_ + x]; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }

    void fill(Col c);
    void blend(int x, int y, Px src);
    void blend(int x, int y, Col c, float alpha) { blend(x, y, premul(c, alpha)); }
    // Adds light without covering (stars, glints).
    void add(int x, int y, Col c);

    // Evaluates fn(x, y) -> {colour, alpha} (not premultiplied) on an ss x ss
    // grid inside each pixel of the rectangle and lays the average on top.
    template <class F>
    void shade(int x0, int y0, int x1, int y1, int ss, F&& fn)
    {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, w_);
        y1 = std::min(y1, h_);
        const float inv = 1.0f / static_cast<float>(ss * ss);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                Px acc;
                for (int sy = 0; sy < ss; ++sy)
                    for (int sx = 0; sx < ss; ++sx) {
                        const float fx = x + (sx + 0.5f) / ss;
                        const float fy = y + (sy + 0.5f) / ss;
                        const auto [c, a] = fn(fx, fy);
                        acc.r += c.r * a;
                        acc.g += c.g * a;
                        acc.b += c.b * a;
                        acc.a += a;
                    }
                if (acc.a > 0)
                    blend(x, y, Px{acc.r * inv, acc.g * inv, acc.b * inv, acc.a * inv});
            }
    }

    // Lays a mask at (ox, oy), coloured per pixel by colour(x, y) in canvas space.
    template <class F>
    void paint(const Mask& m, int ox, int oy, F&& colour, float opacity = 1.0f)
    {
        for (int my = 0; my < m.height(); ++my)
            for (int mx = 0; mx < m.width(); ++mx) {
                const float a = m.at(mx, my) * opacity;
                const int x = ox + mx, y = oy + my;
                if (a <= 0.0f || !inside(x, y))
                    continue;
                blend(x, y, colour(x, y), a);
            }
    }

    void draw(const Canvas& src, int x, int y, float opacity = 1.0f);
    Canvas crop(int x, int y, int w, int h) const;
    // Box-filtered shrink by an integer factor.
    Canvas shrunk(int factor) const;

    // A 24-bit surface ready for SDL_SaveBMP; the caller frees it.
    SDL_Surface* toSurface(const Keying& keying) const;

private:
    int w_ = 0, h_ = 0;
    std::vector<Px> px_;
};

// Quantises one pixel the way toSurface does.
void exportPixel(const Px& p, const Keying& k, std::uint8_t out[3]);

void saveBmp(const Canvas& c, const Keying& k, const std::string& path);

// A rounded rectangle's signed distance: negative inside.
inline float roundedBoxDistance(float x, float y, float x0, float y0, float x1, float y1, float radius)
{
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - radius, hy = (y1 - y0) * 0.5f - radius;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

} // namespace assetgen
