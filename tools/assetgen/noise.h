#pragma once

#include "rng.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace assetgen {

// Gradient noise that repeats every `period` lattice cells on each axis, so a
// picture built from it can be made to tile exactly.
class PeriodicNoise {
public:
    explicit PeriodicNoise(std::uint64_t seed) : seed_(seed)
    {
        for (int i = 0; i < 256; ++i) {
            const double a = 6.283185307179586 * (i + 0.5) / 256.0;
            grads_[static_cast<std::size_t>(i)] = {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))};
        }
    }

    // Roughly in [-0.7, 0.7].
    float operator()(float x, float y, int periodX, int periodY) const
    {
        const float fx0 = std::floor(x), fy0 = std::floor(y);
        const int ix = static_cast<int>(fx0), iy = static_cast<int>(fy0);
        const float fx = x - fx0, fy = y - fy0;
        const float u = fade(fx), v = fade(fy);
        const float n00 = dot(ix, iy, fx, fy, periodX, periodY);
        const float n10 = dot(ix + 1, iy, fx - 1, fy, periodX, periodY);
        const float n01 = dot(ix, iy + 1, fx, fy - 1, periodX, periodY);
        const float n11 = dot(ix + 1, iy + 1, fx - 1, fy - 1, periodX, periodY);
        const float a = n00 + (n10 - n00) * u;
        const float b = n01 + (n11 - n01) * u;
        return a + (b - a) * v;
    }

    // Fractal sum in pixel units. `cell` is the coarsest feature size and
    // `periodY` the pixel period; periodY / cell * 2^octave must be whole.
    float fbm(float x, float y, float cell, int periodY, int octaves, float gain = 0.5f) const
    {
        float sum = 0, amp = 1, norm = 0;
        float scale = 1.0f / cell;
        int lattice = static_cast<int>(std::lround(periodY / cell));
        for (int o = 0; o < octaves; ++o) {
            sum += amp * (*this)(x * scale + 17.0f * o, y * scale, 1 << 20, lattice);
            norm += amp;
            amp *= gain;
            scale *= 2;
            lattice *= 2;
        }
        return sum / norm * 1.6f;
    }

private:
    static float fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }
    static int wrap(int v, int p) { return ((v % p) + p) % p; }
    float dot(int ix, int iy, float dx, float dy, int px, int py) const
    {
        const auto& g = grads_[hash3(wrap(ix, px), wrap(iy, py), seed_) & 255u];
        return g[0] * dx + g[1] * dy;
    }

    std::uint64_t seed_;
    std::array<std::array<float, 2>, 256> grads_{};
};

} // namespace assetgen
