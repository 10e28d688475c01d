#include "music.h"

#include "instruments.h"

#include <lame/lame.h>

#include <algorithm>
#include <array>
#include <sstream>
#include <stdexcept>

namespace assetgen {

namespace {

constexpr double kBpm = 128;

struct Chord {
    int root; // pitch class
    bool minor;
};
constexpr Chord C{0, false}, D_{2, true}, E_{4, true}, F{5, false}, G{7, false}, A_{9, true};

// "e5:2 g5:1 r:2" -> notes, lengths in eighths.
struct Phrase {
    std::vector<std::pair<int, int>> notes; // (midi or -1 for rest, eighths)
};

Phrase parse(const std::string& text)
{
    static const int steps[7] = {9, 11, 0, 2, 4, 5, 7}; // a b c d e f g
    Phrase p;
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) {
        const auto colon = tok.find(':');
        const int len = std::stoi(tok.substr(colon + 1));
        if (tok[0] == 'r') {
            p.notes.push_back({-1, len});
            continue;
        }
        int semis = steps[tok[0] - 'a'];
        std::size_t pos = 1;
        if (tok[pos] == '#') {
            ++semis;
            ++pos;
        }
        const int octave = tok[pos] - '0';
        p.notes.push_back({12 * (octave + 1) + semis, len});
    }
    return p;
}

class Composer {
public:
    Song song;

    Composer()
    {
        song.bpm = kBpm;
    }

    void melody(int bar, const std::string& text, double velocity = 0.9)
    {
        double beat = bar * 4.0;
        for (const auto& [midi, eighths] : parse(text).notes) {
            if (midi >= 0)
                add(Part::Lead, beat, eighths * 0.5 * 0.92, midi, velocity);
            beat += eighths * 0.5;
        }
    }

    static int bassRoot(const Chord& c) { return 36 + c.root; }

    // Bouncy syncopation for the verses, straight eighths for the chorus,
    // long roots for the breakdown.
    void bass(int bar, const Chord& c, int style)
    {
        const int r = bassRoot(c);
        const double b = bar * 4.0;
        if (style == 0) {
            const std::array<std::pair<int, int>, 6> pat = {{{0, 0}, {3, 0}, {4, 12}, {5, 0}, {6, 7}, {7, 12}}};
            for (const auto& [eighth, off] : pat)
                add(Part::Bass, b + eighth * 0.5, 0.4, r + off, eighth == 0 ? 1.0 : 0.8);
        } else if (style == 1) {
            const int offs[8] = {0, 0, 12, 0, 7, 0, 12, 7};
            for (int e = 0; e < 8; ++e)
                add(Part::Bass, b + e * 0.5, 0.4, r + offs[e], e % 2 ? 0.75 : 0.95);
        } else {
            add(Part::Bass, b, 2.8, r, 0.9);
            add(Part::Bass, b + 3, 0.9, r + 7, 0.7);
        }
    }

    static std::array<int, 3> triad(const Chord& c, int octaveBase)
    {
        const int r = octaveBase + c.root;
        return {r, r + (c.minor ? 3 : 4), r + 7};
    }

    void arp(int bar, const Chord& c)
    {
        const auto t = triad(c, 72);
        const int seq[8] = {t[0], t[1], t[2], t[0] + 12, t[2], t[1], t[0], t[1]};
        for (int s = 0; s < 16; ++s)
            add(Part::Arp, bar * 4.0 + s * 0.25, 0.2, seq[s % 8], s % 4 == 0 ? 0.9 : 0.6);
    }

    void pad(int bar, const Chord& c, double velocity = 0.8)
    {
        for (int n : triad(c, 60))
            add(Part::Pad, bar * 4.0, 3.9, n < 62 ? n + 12 : n, velocity);
    }

    // style 0: full groove, 1: breakdown, 2: build.
    void drums(int bar, int style, bool fill, bool crash)
    {
        const double b = bar * 4.0;
        if (crash)
            add(Part::Drums, b, 1, Crash, 0.9);
        if (style == 1) {
            add(Part::Drums, b, 0.5, Kick, 0.8);
            add(Part::Drums, b + 2.5, 0.5, Kick, 0.55);
            for (int q = 0; q < 4; ++q)
                add(Part::Drums, b + q + 0.5, 0.5, ClosedHat, 0.7);
        } else {
            for (double k : {0.0, 1.75, 2.0})
                add(Part::Drums, b + k, 0.5, Kick, k == 0.0 ? 1.0 : 0.85);
            for (int e = 0; e < 8; ++e) {
                const bool open = e == 7 && bar % 2 == 1;
                add(Part::Drums, b + e * 0.5, 0.5, open ? OpenHat : ClosedHat, e % 2 ? 0.65 : 1.0);
            }
            if (!fill) {
                add(Part::Drums, b + 1, 0.5, Snare, 1.0);
                add(Part::Drums, b + 3, 0.5, Snare, 1.0);
            }
        }
        if (fill) {
            add(Part::Drums, b + 1, 0.5, Snare, 0.9);
            for (int s = 0; s < 8; ++s)
                add(Part::Drums, b + 2 + s * 0.25, 0.25, Snare, 0.45 + 0.07 * s);
        }
    }

private:
    void add(Part part, double beat, double beats, int key, double velocity)
    {
        song.events.push_back({part, beat, beats, key, velocity});
    }
};

// Tones and levels of the mix.
struct PartMix {
    double gain, pan; // pan: -1 left .. 1 right
};
PartMix mixOf(Part p)
{
    switch (p) {
    case Part::Lead: return {0.40, 0.08};
    case Part::Bass: return {0.50, 0.0};
    case Part::Arp: return {0.22, -0.35};
    case Part::Pad: return {0.12, 0.2};
    case Part::Drums: return {1.0, 0.0};
    }
    return {0, 0};
}

std::vector<float> renderEvent(const NoteEvent& e, double beatSeconds, std::uint64_t seed)
{
    const double gate = e.beats * beatSeconds;
    switch (e.part) {
    case Part::Lead: return lead(e.key, gate, e.velocity);
    case Part::Bass: return bass(e.key, gate, e.velocity);
    case Part::Arp: return pluck(e.key, gate, e.velocity);
    case Part::Pad: return pad(e.key, gate, e.velocity, seed);
    case Part::Drums: {
        std::vector<float> v;
        double g = 1;
        switch (e.key) {
        case Kick: v = kick(); g = 0.85; break;
        case Snare: v = snare(seed); g = 0.5; break;
        case ClosedHat: v = hat(seed, false); g = 0.16; break;
        case OpenHat: v = hat(seed, true); g = 0.16; break;
        default: v = crash(seed); g = 0.22; break;
        }
        for (float& s : v)
            s = static_cast<float>(s * g * e.velocity);
        return v;
    }
    }
    return {};
}

} // namespace

Song composeSong()
{
    Composer k;
    // verse progression and its chorus
    const Chord verse[8] = {C, G, A_, F, C, G, F, G};
    const Chord chorus[8] = {F, G, E_, A_, F, G, C, C};
    const Chord chorusEnd[8] = {F, G, E_, A_, F, G, C, G};
    const Chord bridge[8] = {A_, F, C, G, A_, F, D_, G};

    const std::string melA1 = "e5:2 g5:1 e5:1 d5:1 c5:1 d5:2 b4:2 d5:1 g5:2 f5:1 e5:1 d5:1 "
                              "c5:2 e5:1 a5:3 g5:1 e5:1 f5:2 e5:1 d5:1 c5:2 a4:2";
    const std::string melA2 = "e5:2 g5:1 c6:2 b5:1 a5:1 g5:1 g5:2 f5:1 d5:2 b4:1 d5:1 g5:1 "
                              "a5:2 g5:1 f5:1 e5:1 d5:1 c5:1 d5:1 d5:3 b4:1 g4:2 r:2";
    const std::string melA2b = "c6:2 b5:1 g5:1 e5:2 g5:2 d6:2 b5:1 g5:1 d5:2 g5:2 "
                               "a5:1 g5:1 f5:1 a5:1 c6:2 a5:2 b5:3 a5:1 g5:2 r:2";
    const std::string melB1 = "a5:3 c6:1 a5:2 g5:2 g5:2 b5:1 d6:3 b5:2 g5:2 e5:1 b5:3 g5:1 e5:1 "
                              "a5:4 e5:2 c5:2";
    const std::string melB2 = "f5:1 a5:1 c6:2 a5:1 c6:1 d6:2 d6:2 b5:1 g5:1 a5:1 b5:1 d6:2 "
                              "e6:3 d6:1 c6:2 g5:2 c6:4 r:4";
    // the last bar turns round on the dominant and steps up into the first note
    const std::string melB2end = "f5:1 a5:1 c6:2 a5:1 c6:1 d6:2 d6:2 b5:1 g5:1 a5:1 b5:1 d6:2 "
                                 "e6:3 d6:1 c6:2 g5:2 g5:2 f5:1 e5:1 d5:2 b4:1 d5:1";
    const std::string melC = "e5:4 c5:2 d5:2 c5:4 a4:4 g4:2 c5:2 e5:4 d5:6 r:2 "
                             "e5:2 a5:2 g5:2 e5:2 f5:4 e5:2 c5:2 d5:2 f5:2 a5:4 b5:4 d5:2 g5:2";

    // A: verse
    k.melody(0, melA1);
    k.melody(4, melA2);
    // A': verse with the arpeggio
    k.melody(8, melA1);
    k.melody(12, melA2b);
    // B: chorus
    k.melody(16, melB1);
    k.melody(20, melB2);
    // A again
    k.melody(24, melA1);
    k.melody(28, melA2);
    // C: breakdown, played softer
    k.melody(32, melC, 0.7);
    // B': chorus, ending on the turnaround
    k.melody(40, melB1);
    k.melody(44, melB2end);

    for (int bar = 0; bar < 48; ++bar) {
        const int section = bar / 8, i = bar % 8;
        const bool last = i == 7;
        switch (section) {
        case 0:
        case 1:
        case 3:
            k.bass(bar, verse[i], 0);
            k.drums(bar, 0, last, i == 0);
            if (section != 0)
                k.arp(bar, verse[i]);
            if (section == 0)
                k.pad(bar, verse[i], 0.6);
            break;
        case 2:
        case 5: {
            const Chord ch = section == 5 ? chorusEnd[i] : chorus[i];
            k.bass(bar, ch, 1);
            k.drums(bar, 0, last, i == 0);
            k.arp(bar, ch);
            k.pad(bar, ch);
            break;
        }
        default:
            k.bass(bar, bridge[i], 2);
            k.drums(bar, last ? 0 : 1, last, false);
            k.pad(bar, bridge[i], 1.0);
            break;
        }
    }
    k.song.bars = 48;
    return k.song;
}

Pcm renderSong(const Song& song, std::optional<Part> only)
{
    const double beatSeconds = song.beatSeconds();
    const auto frames = static_cast<std::size_t>(samplesFor(song.seconds()));
    std::vector<double> left(frames, 0.0), right(frames, 0.0), leadBus(frames, 0.0);
    std::uint64_t seed = 1000;
    for (const NoteEvent& e : song.events) {
        ++seed;
        if (only && e.part != *only)
            continue;
        const std::vector<float> v = renderEvent(e, beatSeconds, seed);
        const PartMix m = mixOf(e.part);
        const double gl = m.gain * std::sqrt(0.5 * (1 - m.pan)), gr = m.gain * std::sqrt(0.5 * (1 + m.pan));
        const auto start = static_cast<std::size_t>(samplesFor(e.beat * beatSeconds));
        for (std::size_t i = 0; i < v.size(); ++i) {
            const std::size_t at = (start + i) % frames; // the loop's tail wraps round
            left[at] += v[i] * gl;
            right[at] += v[i] * gr;
            if (e.part == Part::Lead)
                leadBus[at] += v[i] * m.gain;
        }
    }
    // A ping-pong echo on the melody, also wrapped round the loop.
    const auto d1 = static_cast<std::size_t>(samplesFor(beatSeconds * 0.75));
    const auto d2 = static_cast<std::size_t>(samplesFor(beatSeconds * 1.5));
    for (std::size_t i = 0; i < frames; ++i) {
        left[i] += 0.22 * leadBus[(i + frames - d1) % frames];
        right[i] += 0.14 * leadBus[(i + frames - d2) % frames];
    }
    Pcm out{2, std::vector<float>(frames * 2)};
    double peak = 1e-9;
    for (std::size_t i = 0; i < frames; ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    // Level the whole mix so the loudest moment sits at -1.5 dBFS.
    const double gain = only ? 1.0 : std::pow(10.0, -1.5 / 20.0) / peak;
    for (std::size_t i = 0; i < frames; ++i) {
        out.samples[2 * i] = static_cast<float>(left[i] * gain);
        out.samples[2 * i + 1] = static_cast<float>(right[i] * gain);
    }
    return out;
}

std::vector<std::uint8_t> encodeMp3(const Pcm& stereo)
{
    if (stereo.channels != 2)
        throw std::runtime_error("encodeMp3 wants stereo");
    lame_global_flags* gf = lame_init();
    if (!gf)
        throw std::runtime_error("lame_init failed");
    lame_set_in_samplerate(gf, kRate);
    lame_set_out_samplerate(gf, kRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_brate(gf, 160);
    lame_set_VBR(gf, vbr_off);
    lame_set_quality(gf, 5);
    lame_set_write_id3tag_automatic(gf, 0);
    // The Info frame carries the encoder delay and padding, which lets a
    // gapless decoder restart the loop without a hole.
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        lame_close(gf);
        throw std::runtime_error("lame_init_params failed");
    }
    const std::size_t frames = stereo.frames();
    std::vector<short> pcm(frames * 2);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = static_cast<short>(std::lround(std::clamp(stereo.samples[i], -1.0f, 1.0f) * 32767.0f));

    std::vector<std::uint8_t> out;
    const std::size_t chunk = 8192;
    std::vector<unsigned char> buf(chunk * 5 / 4 + 7200);
    for (std::size_t at = 0; at < frames; at += chunk) {
        const int n = static_cast<int>(std::min(chunk, frames - at));
        const int got = lame_encode_buffer_interleaved(gf, pcm.data() + 2 * at, n, buf.data(), static_cast<int>(buf.size()));
        if (got < 0) {
            lame_close(gf);
            throw std::runtime_error("lame_encode_buffer_interleaved failed");
        }
        out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    const int tail = lame_encode_flush(gf, buf.data(), static_cast<int>(buf.size()));
    if (tail > 0)
        out.insert(out.end(), buf.begin(), buf.begin() + tail);
    // The Info frame is only complete now; it replaces the placeholder at the start.
    std::vector<unsigned char> tag(4096);
    const std::size_t tagSize = lame_get_lametag_frame(gf, tag.data(), tag.size());
    lame_close(gf);
    if (tagSize > 0 && tagSize <= out.size())
        std::copy_n(tag.begin(), tagSize, out.begin());
    return out;
}

} // namespace assetgen
