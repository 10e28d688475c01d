#include "sounds.h"

#include "instruments.h"

#include <algorithm>
#include <array>

namespace assetgen {

namespace {

constexpr double kPeakDb = -3.0;

Pcm mono(double seconds) { return Pcm{1, std::vector<float>(static_cast<std::size_t>(samplesFor(seconds)), 0.0f)}; }

void mixIn(Pcm& pcm, const std::vector<float>& v, double at, double gain)
{
    const auto start = static_cast<std::size_t>(samplesFor(at));
    for (std::size_t i = 0; i < v.size() && start + i < pcm.samples.size(); ++i)
        pcm.samples[start + i] += static_cast<float>(v[i] * gain);
}

// A spring: the pitch wobbles around its rest and settles as it dies away.
Pcm boing()
{
    Pcm p = mono(0.15);
    Osc a, b;
    for (std::size_t i = 0; i < p.samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double f = 330 * (1 + 0.45 * std::exp(-t / 0.045) * std::cos(kTau * 24 * t)) * (1 + 0.25 * t);
        const double s = a.sine(f) + 0.35 * b.triangle(2 * f) * std::exp(-t / 0.05);
        p.samples[i] = static_cast<float>(s * adEnvelope(t, 0.003, 0.06));
    }
    finishEffect(p, 2, 25, kPeakDb);
    return p;
}

Pcm drum()
{
    Pcm p = mono(0.15);
    mixIn(p, kick(0.15), 0, 1.0);
    mixIn(p, snare(21, 150), 0, 0.25);
    finishEffect(p, 1, 30, kPeakDb);
    return p;
}

// Filtered noise whose brightness collapses, over a falling sub thump.
Pcm blast()
{
    Pcm p = mono(0.4);
    Noise noise(31);
    Biquad lp, lp2;
    Osc rumble;
    Rng crackle(32);
    for (std::size_t i = 0; i < p.samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        if (i % 16 == 0) {
            lp.lowpass(250 + 6000 * std::exp(-t / 0.07), 0.9);
            lp2.lowpass(250 + 6000 * std::exp(-t / 0.07), 0.9);
        }
        double s = lp2(lp(noise())) * adEnvelope(t, 0.002, 0.12) * 1.6;
        s += rumble.sine(38 + 80 * std::exp(-t / 0.05)) * adEnvelope(t, 0.004, 0.15) * 0.9;
        if (t < 0.25 && crackle.uniform() < 0.004)
            s += (crackle.uniform() - 0.5) * 2.0 * (1 - t / 0.25);
        p.samples[i] = static_cast<float>(std::tanh(1.8 * s));
    }
    finishEffect(p, 1, 60, kPeakDb);
    return p;
}

// Two alternating tones, like a horn on a siren, phase-continuous at each switch.
Pcm klaxon()
{
    Pcm p = mono(0.8);
    Osc a, b;
    Biquad lp;
    lp.lowpass(2600, 0.9);
    double f = 0;
    for (std::size_t i = 0; i < p.samples.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double target = (static_cast<int>(t / 0.2) % 2 == 0) ? 784.0 : 587.3;
        f = (i == 0) ? target : f + (target - f) * 0.01;
        const double s = 0.6 * a.pulse(f, 0.5) + 0.4 * b.saw(f * 1.004);
        p.samples[i] = static_cast<float>(lp(s) * (0.9 + 0.1 * std::sin(kTau * 30 * t)));
    }
    finishEffect(p, 6, 60, kPeakDb);
    return p;
}

// A voice-like "uh-oh": a buzzy source through two vowel formants per note.
Pcm uhOh()
{
    Pcm p = mono(0.7);
    struct Syllable {
        double start, length, from, to, f1, f2;
    };
    const Syllable parts[] = {{0.02, 0.27, 372, 392, 700, 1220}, {0.33, 0.35, 294, 250, 480, 860}};
    for (const Syllable& s : parts) {
        Osc src, vib;
        Biquad b1, b2, body;
        b1.bandpass(s.f1, 5);
        b2.bandpass(s.f2, 7);
        body.lowpass(900, 0.7);
        const auto start = static_cast<std::size_t>(samplesFor(s.start));
        const auto n = static_cast<std::size_t>(samplesFor(s.length));
        for (std::size_t i = 0; i < n && start + i < p.samples.size(); ++i) {
            const double t = static_cast<double>(i) / kRate, u = t / s.length;
            const double f = (s.from + (s.to - s.from) * u) * (1 + 0.012 * vib.sine(6) * u);
            const double x = src.saw(f);
            const double env = std::min({1.0, t / 0.025, (s.length - t) / 0.06});
            p.samples[start + i] += static_cast<float>((1.4 * b1(x) + 0.9 * b2(x) + 0.25 * body(x)) * env);
        }
    }
    finishEffect(p, 3, 30, kPeakDb);
    return p;
}

// One bar at 120 bpm: a beat under a bass riff that climbs two octaves.
Pcm rapIntro()
{
    Pcm p = mono(2.0);
    const double s16 = 0.125;
    for (int k : {0, 6, 8, 11, 14})
        mixIn(p, kick(), k * s16, 0.9);
    for (int k : {4, 12})
        mixIn(p, snare(40 + static_cast<std::uint64_t>(k)), k * s16, 0.55);
    for (int k = 0; k < 16; ++k)
        mixIn(p, hat(60 + static_cast<std::uint64_t>(k), k == 14), k * s16, k % 2 ? 0.14 : 0.22);
    const int riff[16] = {40, 40, 43, 45, 47, 47, 50, 52, 52, 55, 57, 59, 62, 64, 67, 69};
    for (int k = 0; k < 16; ++k)
        mixIn(p, bass(riff[k], s16 * 0.6, 0.5 + 0.03 * k), k * s16, 0.55);
    for (std::size_t i = 0; i < p.samples.size(); ++i)
        p.samples[i] = static_cast<float>(std::tanh(1.2 * p.samples[i]));
    finishEffect(p, 2, 120, kPeakDb);
    return p;
}

// Brass climbing a major arpeggio to a held top note, with bells on the arrival.
Pcm fanfare()
{
    Pcm p = mono(1.2);
    const double notes[4] = {67, 72, 76, 79};
    for (int k = 0; k < 3; ++k)
        mixIn(p, brass(notes[k], 0.1, 0.8), 0.11 * k, 0.5);
    mixIn(p, brass(79, 0.68, 1.0), 0.33, 0.5);
    mixIn(p, brass(76, 0.68, 0.7), 0.33, 0.32);
    mixIn(p, brass(72, 0.68, 0.7), 0.33, 0.32);
    for (int k = 0; k < 4; ++k)
        mixIn(p, bell(84 + std::array<int, 4>{0, 4, 7, 12}[static_cast<std::size_t>(k)], 0.6, 0.6), 0.33 + 0.06 * k, 0.22);
    finishEffect(p, 3, 150, kPeakDb);
    return p;
}

Pcm chime()
{
    Pcm p = mono(0.6);
    mixIn(p, bell(84, 0.6, 1.0), 0, 0.6);
    mixIn(p, bell(88, 0.52, 0.8), 0.08, 0.5);
    mixIn(p, bell(91, 0.44, 0.8), 0.16, 0.5);
    finishEffect(p, 1, 120, kPeakDb);
    return p;
}

} // namespace

std::vector<Sound> makeSounds()
{
    std::vector<Sound> out;
    out.push_back({"DOING.WAV", boing()});
    out.push_back({"Drum.wav", drum()});
    out.push_back({"BLAST2.WAV", blast()});
    out.push_back({"klaxon2.wav", klaxon()});
    out.push_back({"UH-OH_BE.WAV", uhOh()});
    out.push_back({"RAP_INTR.WAV", rapIntro()});
    out.push_back({"GREAT_B.WAV", fanfare()});
    out.push_back({"good.wav", chime()});
    return out;
}

} // namespace assetgen
