#include "instruments.h"

#include "synth.h"

#include <algorithm>

namespace assetgen {

namespace {

// Linear attack, exponential decay to a sustain level, and an exponential
// release once the gate closes that is cut off when it is inaudible.
struct Adsr {
    double attack, decay, sustain, release;
    double at(double t, double gate) const
    {
        auto held = [&](double u) {
            if (u < attack)
                return u / attack;
            return sustain + (1.0 - sustain) * std::exp(-(u - attack) / decay);
        };
        if (t < gate)
            return held(t);
        return held(gate) * std::exp(-(t - gate) / release);
    }
    double length(double gate) const { return gate + release * 5.0; }
};

// Ends the tail with a short ramp, so a voice never stops mid-wave.
void rampOut(std::vector<float>& v, double ms = 4)
{
    const std::size_t n = std::min(v.size(), static_cast<std::size_t>(ms * kRate / 1000));
    for (std::size_t i = 0; i < n; ++i)
        v[v.size() - 1 - i] *= static_cast<float>(static_cast<double>(i) / static_cast<double>(n));
}

} // namespace

std::vector<float> kick(double seconds)
{
    std::vector<float> out(static_cast<std::size_t>(samplesFor(seconds)));
    Osc body;
    Noise noise(11);
    Biquad click;
    click.lowpass(3500, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 52 + 130 * std::exp(-t / 0.028);
        const double b = body.sine(f) * adEnvelope(t, 0.0015, 0.11);
        const double c = click(noise()) * std::exp(-t / 0.006) * 0.6;
        out[i] = static_cast<float>(std::tanh(1.5 * (b + c)));
    }
    rampOut(out, 20);
    return out;
}

std::vector<float> snare(std::uint64_t seed, double tone)
{
    std::vector<float> out(static_cast<std::size_t>(samplesFor(0.3)));
    Osc body;
    Noise noise(seed);
    Biquad hp, lp;
    hp.highpass(1200, 0.7);
    lp.lowpass(9000, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double b = body.sine(tone * (1 + 0.4 * std::exp(-t / 0.01))) * adEnvelope(t, 0.001, 0.04);
        const double n = lp(hp(noise())) * adEnvelope(t, 0.001, 0.075);
        out[i] = static_cast<float>(0.55 * b + 0.9 * n);
    }
    rampOut(out, 15);
    return out;
}

std::vector<float> hat(std::uint64_t seed, bool open)
{
    std::vector<float> out(static_cast<std::size_t>(samplesFor(open ? 0.35 : 0.08)));
    Noise noise(seed);
    Biquad hp, bp;
    hp.highpass(7000, 0.7);
    bp.bandpass(10000, 1.2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double n = noise();
        const double s = 0.6 * hp(n) + 0.6 * bp(n);
        out[i] = static_cast<float>(s * adEnvelope(t, 0.0008, open ? 0.09 : 0.018));
    }
    rampOut(out, open ? 20 : 6);
    return out;
}

std::vector<float> crash(std::uint64_t seed)
{
    std::vector<float> out(static_cast<std::size_t>(samplesFor(1.6)));
    Noise noise(seed);
    Biquad hp, lp;
    hp.highpass(4000, 0.6);
    lp.lowpass(12000, 0.6);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        out[i] = static_cast<float>(lp(hp(noise())) * adEnvelope(t, 0.002, 0.38));
    }
    rampOut(out, 40);
    return out;
}

std::vector<float> lead(double midi, double gate, double velocity)
{
    const Adsr env{0.008, 0.22, 0.72, 0.07};
    std::vector<float> out(static_cast<std::size_t>(samplesFor(env.length(gate))));
    Osc a, b, vib;
    Biquad lp;
    const double hz = midiToHz(midi);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // vibrato only on held notes, as a singer would
        const double depth = 0.004 * smoothstepD(0.15, 0.4, t);
        const double f = hz * (1 + depth * vib.sine(5.6));
        if (i % 32 == 0)
            lp.lowpass(1800 + 2600 * std::exp(-t / 0.12), 0.9);
        const double s = 0.55 * a.pulse(f, 0.32) + 0.45 * b.saw(f * 1.003);
        out[i] = static_cast<float>(lp(s) * env.at(t, gate) * velocity);
    }
    rampOut(out);
    return out;
}

std::vector<float> bass(double midi, double gate, double velocity)
{
    const Adsr env{0.004, 0.18, 0.55, 0.04};
    std::vector<float> out(static_cast<std::size_t>(samplesFor(env.length(gate))));
    Osc a, sub;
    Biquad lp;
    const double hz = midiToHz(midi);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % 32 == 0)
            lp.lowpass(380 + 1500 * std::exp(-t / 0.07), 1.1);
        const double s = 0.6 * a.saw(hz) + 0.7 * sub.sine(hz);
        out[i] = static_cast<float>(std::tanh(1.3 * lp(s)) * env.at(t, gate) * velocity);
    }
    rampOut(out);
    return out;
}

std::vector<float> pluck(double midi, double gate, double velocity)
{
    const Adsr env{0.002, 0.09, 0.15, 0.05};
    std::vector<float> out(static_cast<std::size_t>(samplesFor(env.length(gate))));
    Osc a, b;
    const double hz = midiToHz(midi);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double s = 0.7 * a.triangle(hz) + 0.3 * b.sine(2 * hz) * std::exp(-t / 0.05);
        out[i] = static_cast<float>(s * env.at(t, gate) * velocity);
    }
    rampOut(out);
    return out;
}

std::vector<float> pad(double midi, double gate, double velocity, std::uint64_t seed)
{
    const Adsr env{0.35, 1.0, 0.85, 0.35};
    std::vector<float> out(static_cast<std::size_t>(samplesFor(env.length(gate))));
    Osc o[3];
    Rng rng(seed);
    for (Osc& osc : o)
        osc.reset(rng.uniform());
    Biquad lp;
    lp.lowpass(1400, 0.7);
    const double hz = midiToHz(midi);
    const double detune[3] = {0.995, 1.0, 1.006};
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double s = 0;
        for (int k = 0; k < 3; ++k)
            s += o[k].saw(hz * detune[k]) / 3.0;
        out[i] = static_cast<float>(lp(s) * env.at(t, gate) * velocity);
    }
    rampOut(out, 10);
    return out;
}

std::vector<float> brass(double midi, double gate, double velocity)
{
    const Adsr env{0.02, 0.3, 0.8, 0.09};
    std::vector<float> out(static_cast<std::size_t>(samplesFor(env.length(gate))));
    Osc a, b;
    Biquad lp;
    const double hz = midiToHz(midi);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // the small scoop into the note is what makes it read as a horn
        const double f = hz * (1 - 0.02 * std::exp(-t / 0.025));
        if (i % 32 == 0)
            lp.lowpass(900 + 3800 * (1 - std::exp(-t / 0.03)) * (0.55 + 0.45 * std::exp(-t / 0.3)), 0.8);
        const double s = 0.5 * a.saw(f) + 0.5 * b.saw(f * 1.004);
        out[i] = static_cast<float>(lp(s) * env.at(t, gate) * velocity);
    }
    rampOut(out);
    return out;
}

std::vector<float> bell(double midi, double seconds, double velocity)
{
    std::vector<float> out(static_cast<std::size_t>(samplesFor(seconds)));
    Osc modulator, partial;
    double phase = 0;
    const double hz = midiToHz(midi);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double index = 2.2 * std::exp(-t / 0.08);
        // frequency modulation via a phase offset keeps the carrier in tune
        const double m = modulator.sine(hz * 2.0) * index;
        const double c = std::sin(kTau * phase + m);
        phase += hz / kRate;
        phase -= std::floor(phase);
        const double s = 0.8 * c + 0.2 * partial.sine(hz * 4.2) * std::exp(-t / 0.05);
        out[i] = static_cast<float>(s * adEnvelope(t, 0.002, 0.22) * velocity);
    }
    rampOut(out, 10);
    return out;
}

} // namespace assetgen
