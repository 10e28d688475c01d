#include "asset_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

using namespace assettest;

namespace {

struct Expected {
    const char* name;
    double minSeconds, maxSeconds;
};
const Expected kSounds[] = {
    {"DOING.WAV", 0.10, 0.20},    {"Drum.wav", 0.10, 0.20},     {"BLAST2.WAV", 0.30, 0.50},
    {"klaxon2.wav", 0.65, 0.95},  {"UH-OH_BE.WAV", 0.55, 0.85}, {"RAP_INTR.WAV", 1.8, 2.2},
    {"GREAT_B.WAV", 1.0, 1.4},    {"good.wav", 0.45, 0.75},
};

double dbfs(double v) { return 20.0 * std::log10(std::max(v, 1e-9)); }

// Mono mix of a window of a sound.
std::vector<float> window(const Sound& s, double from, double to)
{
    std::vector<float> out;
    const auto ch = static_cast<std::size_t>(s.channels);
    const auto a = static_cast<std::size_t>(from * s.rate), b = static_cast<std::size_t>(to * s.rate);
    for (std::size_t i = a; i < b && (i + 1) * ch <= s.samples.size(); ++i) {
        float m = 0;
        for (std::size_t c = 0; c < ch; ++c)
            m += s.samples[i * ch + c];
        out.push_back(m / static_cast<float>(ch));
    }
    return out;
}

// The fundamental by autocorrelation, searched between 80 Hz and 1200 Hz.
double pitch(const std::vector<float>& x, int rate)
{
    int bestLag = 0;
    double best = 0;
    for (int lag = rate / 1200; lag <= rate / 80; ++lag) {
        double s = 0, e = 0;
        for (std::size_t i = 0; i + static_cast<std::size_t>(lag) < x.size(); ++i) {
            s += x[i] * x[i + static_cast<std::size_t>(lag)];
            e += x[i] * x[i];
        }
        const double r = e > 0 ? s / e : 0;
        // prefer the shortest lag that is nearly as good, to avoid octave errors
        if (r > best * 1.1) {
            best = r;
            bestLag = lag;
        }
    }
    return bestLag ? static_cast<double>(rate) / bestLag : 0;
}

} // namespace

TEST(Sounds, SoundsFolderHoldsExactlyTheGamesFiles)
{
    std::set<std::string> want{"vantle1.mp3"}, got;
    for (const Expected& e : kSounds)
        want.insert(e.name);
    for (const auto& entry : std::filesystem::directory_iterator(assetPath("sounds")))
        got.insert(entry.path().filename().string());
    EXPECT_EQ(got, want);
}

TEST(Sounds, EachIs16BitAt44kWithItsLengthLevelAndCleanEnds)
{
    for (const Expected& e : kSounds) {
        SCOPED_TRACE(e.name);
        const Sound s = loadWav(e.name);
        ASSERT_FALSE(s.samples.empty());
        EXPECT_EQ(s.rate, 44100);
        EXPECT_EQ(s.format, AUDIO_S16LSB);
        EXPECT_TRUE(s.channels == 1 || s.channels == 2);
        EXPECT_GE(s.seconds(), e.minSeconds);
        EXPECT_LE(s.seconds(), e.maxSeconds);

        float peak = 0;
        double energy = 0;
        for (float v : s.samples) {
            peak = std::max(peak, std::fabs(v));
            energy += static_cast<double>(v) * v;
        }
        EXPECT_GE(dbfs(peak), -6.0);
        EXPECT_LE(dbfs(peak), -1.0);
        // not a click followed by silence
        EXPECT_GT(dbfs(std::sqrt(energy / static_cast<double>(s.samples.size()))), -30.0);

        // No click at either end: the first and last samples sit at zero and the
        // sound eases in and out over more than a couple of samples.
        const std::size_t n = s.samples.size();
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_LT(std::fabs(s.samples[i]), 0.01f) << "sample " << i;
            EXPECT_LT(std::fabs(s.samples[n - 1 - i]), 0.01f) << "sample " << n - 1 - i;
        }
    }
}

TEST(Sounds, KlaxonAlternatesBetweenTwoTones)
{
    const Sound s = loadWav("klaxon2.wav");
    ASSERT_FALSE(s.samples.empty());
    const double first = pitch(window(s, 0.03, 0.17), s.rate);
    const double second = pitch(window(s, 0.23, 0.37), s.rate);
    const double third = pitch(window(s, 0.43, 0.57), s.rate);
    std::printf("klaxon: %.0f Hz, %.0f Hz, %.0f Hz\n", first, second, third);
    EXPECT_GT(std::fabs(first - second), first * 0.15);
    EXPECT_NEAR(third, first, first * 0.05);
}

TEST(Sounds, UhOhFallsFromTheFirstNoteToTheSecond)
{
    const Sound s = loadWav("UH-OH_BE.WAV");
    ASSERT_FALSE(s.samples.empty());
    const double uh = pitch(window(s, 0.06, 0.24), s.rate);
    const double oh = pitch(window(s, 0.38, 0.60), s.rate);
    std::printf("uh-oh: %.0f Hz then %.0f Hz\n", uh, oh);
    EXPECT_GT(uh, oh * 1.15);
    // with a pause between the two syllables
    const std::vector<float> gap = window(s, 0.300, 0.325);
    const std::vector<float> body = window(s, 0.10, 0.20);
    auto rms = [](const std::vector<float>& v) {
        double e = 0;
        for (float x : v)
            e += static_cast<double>(x) * x;
        return std::sqrt(e / static_cast<double>(v.size()));
    };
    EXPECT_LT(rms(gap), rms(body) * 0.3);
}
