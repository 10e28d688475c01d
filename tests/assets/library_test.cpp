// The generator's building blocks, where a fault would quietly spoil every asset.
#include "canvas.h"
#include "noise.h"
#include "synth.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace assetgen;

TEST(Keying, TransparentBecomesTheKeyAndVisibleNeverDoes)
{
    const Keying black{{0, 0, 0}, rgb(16, 16, 38), 0.3f};
    std::uint8_t out[3];
    exportPixel(Px{0.1f, 0.1f, 0.1f, 0.2f}, black, out);
    EXPECT_EQ(out[0] + out[1] + out[2], 0);

    // A fully covered black pixel would vanish under the key; it is nudged.
    exportPixel(premul(rgb(0, 0, 0), 1.0f), black, out);
    EXPECT_NE(out[0] + out[1] + out[2], 0);

    const Keying grey{{79, 79, 79}, rgb(16, 16, 38), 0.5f};
    exportPixel(premul(rgb(79, 79, 79), 1.0f), grey, out);
    EXPECT_FALSE(out[0] == 79 && out[1] == 79 && out[2] == 79);
    exportPixel(premul(rgb(0, 0, 0), 1.0f), grey, out); // black is opaque in the frames
    EXPECT_EQ(out[0] + out[1] + out[2], 0);
}

TEST(Keying, PartlyCoveredEdgesBlendOntoTheBackdropNotBlack)
{
    const Keying k{{0, 0, 0}, rgb(40, 60, 80), 0.3f};
    std::uint8_t out[3];
    exportPixel(premul(rgb(200, 200, 200), 0.5f), k, out);
    EXPECT_NEAR(out[0], 120, 1);
    EXPECT_NEAR(out[1], 130, 1);
    EXPECT_NEAR(out[2], 140, 1);
}

TEST(Noise, RepeatsExactlyOverTheLoopHeight)
{
    const PeriodicNoise n(99);
    for (float x : {0.0f, 123.4f, 799.0f})
        for (float y : {0.0f, 0.5f, 37.25f, 599.9f, 1800.0f}) {
            const float a = n.fbm(x, y, 400, 2400, 6);
            const float b = n.fbm(x, y + 2400, 400, 2400, 6);
            EXPECT_NEAR(a, b, 1e-4f) << x << "," << y;
        }
    // ...and is not simply constant.
    EXPECT_GT(std::fabs(n.fbm(10, 10, 400, 2400, 6) - n.fbm(10, 1210, 400, 2400, 6)), 1e-3f);
}

TEST(Mask, DilationGrowsTheInkByItsRadius)
{
    Mask m(21, 21);
    m.ref(10, 10) = 1.0f;
    const Mask::Box b = m.dilated(3).ink(0.4f);
    EXPECT_EQ(b.x0, 7);
    EXPECT_EQ(b.x1, 13);
    EXPECT_EQ(b.y0, 7);
    EXPECT_EQ(b.y1, 13);
}

TEST(Wav, RoundTripsThroughSdl)
{
    Pcm pcm{2, {0.0f, 0.5f, -0.5f, 1.0f, -1.0f, 0.25f}};
    const std::vector<std::uint8_t> bytes = encodeWav(pcm);
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_AudioSpec wavFormat;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    ASSERT_NE(SDL_LoadWAV_RW(rw, 1, &wavFormat, &buf, &len), nullptr) << SDL_GetError();
    EXPECT_EQ(wavFormat.freq, 44100);
    EXPECT_EQ(wavFormat.channels, 2);
    EXPECT_EQ(wavFormat.format, AUDIO_S16LSB);
    ASSERT_EQ(len, 12u);
    const auto* s = reinterpret_cast<const Sint16*>(buf);
    const int want[6] = {0, 16384, -16384, 32767, -32767, 8192};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(s[i], want[i], 1) << i;
    SDL_FreeWAV(buf);
}

TEST(Effects, FinishingLevelsThePeakAndSilencesBothEnds)
{
    Pcm pcm{1, std::vector<float>(4410, 0.0f)};
    for (std::size_t i = 0; i < pcm.samples.size(); ++i)
        pcm.samples[i] = static_cast<float>(0.3 * std::sin(0.05 * static_cast<double>(i)) + 0.2);
    finishEffect(pcm, 5, 10, -3.0);
    float peak = 0;
    for (float v : pcm.samples)
        peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(20 * std::log10(peak), -3.0, 0.01);
    EXPECT_EQ(pcm.samples.front(), 0.0f);
    EXPECT_EQ(pcm.samples.back(), 0.0f);
}
