#pragma once

#include "rng.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

inline constexpr int kRate = 44100;
inline constexpr double kTau = 6.283185307179586;

inline double midiToHz(double midi) { return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0); }
inline double smoothstepD(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}
inline int samplesFor(double seconds) { return static_cast<int>(std::lround(seconds * kRate)); }

// Band-limited step correction, so saws and squares do not alias into hiss.
inline double polyBlep(double t, double dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// A phase accumulator with the classic waveforms; the frequency may change
// every sample without clicks.
class Osc {
public:
    double sine(double hz) { return std::sin(kTau * step(hz)); }
    double saw(double hz)
    {
        const double dt = hz / kRate;
        const double t = step(hz);
        return 2.0 * t - 1.0 - polyBlep(t, dt);
    }
    double pulse(double hz, double width)
    {
        const double dt = hz / kRate;
        const double t = step(hz);
        double v = t < width ? 1.0 : -1.0;
        v += polyBlep(t, dt);
        double t2 = t - width;
        if (t2 < 0)
            t2 += 1.0;
        v -= polyBlep(t2, dt);
        return v;
    }
    double triangle(double hz)
    {
        const double t = step(hz);
        return 4.0 * std::fabs(t - 0.5) - 1.0;
    }
    void reset(double phase = 0) { phase_ = phase; }

private:
    // Returns the phase before advancing it.
    double step(double hz)
    {
        const double t = phase_;
        phase_ += hz / kRate;
        phase_ -= std::floor(phase_);
        return t;
    }
    double phase_ = 0;
};

// RBJ biquad; the coefficients may be recomputed while running for sweeps.
class Biquad {
public:
    void lowpass(double hz, double q) { set(hz, q, 0); }
    void highpass(double hz, double q) { set(hz, q, 1); }
    void bandpass(double hz, double q) { set(hz, q, 2); }
    double operator()(double x)
    {
        const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
        x2_ = x1_;
        x1_ = x;
        y2_ = y1_;
        y1_ = y;
        return y;
    }

private:
    void set(double hz, double q, int kind)
    {
        hz = std::min(hz, kRate * 0.45);
        const double w = kTau * hz / kRate, cw = std::cos(w), alpha = std::sin(w) / (2 * q);
        double b0, b1, b2;
        if (kind == 0) {
            b0 = (1 - cw) / 2;
            b1 = 1 - cw;
            b2 = (1 - cw) / 2;
        } else if (kind == 1) {
            b0 = (1 + cw) / 2;
            b1 = -(1 + cw);
            b2 = (1 + cw) / 2;
        } else {
            b0 = alpha;
            b1 = 0;
            b2 = -alpha;
        }
        const double a0 = 1 + alpha;
        b0_ = b0 / a0;
        b1_ = b1 / a0;
        b2_ = b2 / a0;
        a1_ = -2 * cw / a0;
        a2_ = (1 - alpha) / a0;
    }
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Uniform white noise in [-1, 1) from a fixed seed.
class Noise {
public:
    explicit Noise(std::uint64_t seed) : rng_(seed) {}
    double operator()() { return rng_.uniform() * 2.0 - 1.0; }

private:
    Rng rng_;
};

// Attack/decay envelope, exponential decay toward zero.
inline double adEnvelope(double t, double attack, double decay)
{
    if (t < 0)
        return 0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

// Mono or interleaved stereo samples in [-1, 1].
struct Pcm {
    int channels = 1;
    std::vector<float> samples;
    std::size_t frames() const { return samples.size() / static_cast<std::size_t>(channels); }
    double seconds() const { return static_cast<double>(frames()) / kRate; }
};

// Scales to the given peak (dBFS) and fades both ends, so nothing clicks.
void finishEffect(Pcm& pcm, double fadeInMs, double fadeOutMs, double peakDb);

// 16-bit PCM RIFF WAVE; SDL can read these files but offers no writer.
std::vector<std::uint8_t> encodeWav(const Pcm& pcm);
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

} // namespace assetgen
