#include "asset_files.h"
#include "music.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <set>

using namespace assettest;
using assetgen::Part;

namespace {

// One render of the score shared by the tests below; it takes a second or two.
const assetgen::Pcm& renderedSong()
{
    static const assetgen::Pcm pcm = assetgen::renderSong(assetgen::composeSong());
    return pcm;
}

double rms(const std::vector<float>& v, std::size_t from, std::size_t to)
{
    double e = 0;
    for (std::size_t i = from; i < to; ++i)
        e += static_cast<double>(v[i]) * v[i];
    return std::sqrt(e / static_cast<double>(to - from));
}

} // namespace

TEST(Music, LoadsThroughSdlMixerWithALoopLengthOfOneToTwoMinutes)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    Mix_Music* m = Mix_LoadMUS(assetPath("sounds/vantle1.mp3").c_str());
    ASSERT_NE(m, nullptr) << Mix_GetError();
    EXPECT_EQ(Mix_GetMusicType(m), MUS_MP3);
    const double seconds = Mix_MusicDuration(m);
    std::printf("vantle1.mp3: %.2f s\n", seconds);
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
    Mix_FreeMusic(m);
    Mix_CloseAudio();
    SDL_Quit();

    const std::vector<std::uint8_t> bytes = readBytes(assetPath("sounds/vantle1.mp3"));
    ASSERT_GT(bytes.size(), 4u);
    // Starts straight on an MPEG-1 layer III frame: no ID3 tag in front.
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1] & 0xFE, 0xFA);
    const double kbps = static_cast<double>(bytes.size()) * 8 / seconds / 1000;
    std::printf("vantle1.mp3: %.1f kbit/s\n", kbps);
    EXPECT_GE(kbps, 120.0);
    EXPECT_LE(kbps, 170.0);
}

TEST(Music, TheLoopsEndRunsIntoItsStartWithoutAJump)
{
    const assetgen::Pcm& pcm = renderedSong();
    ASSERT_EQ(pcm.channels, 2);
    const std::size_t frames = pcm.frames(), w = 882; // 20 ms
    for (std::size_t ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE(ch);
        std::vector<float> tail, head;
        for (std::size_t i = frames - w; i < frames; ++i)
            tail.push_back(pcm.samples[2 * i + ch]);
        for (std::size_t i = 0; i < w; ++i)
            head.push_back(pcm.samples[2 * i + ch]);
        float largestStep = 0;
        for (std::size_t i = 1; i < w; ++i)
            largestStep = std::max({largestStep, std::fabs(tail[i] - tail[i - 1]), std::fabs(head[i] - head[i - 1])});
        const float across = std::fabs(head.front() - tail.back());
        std::printf("loop point: step %.4f, largest step nearby %.4f\n", across, largestStep);
        EXPECT_LE(across, largestStep);
        // The music plays through the loop point rather than fading out and in.
        const double a = rms(tail, 0, w), b = rms(head, 0, w);
        std::printf("loop point: %.4f rms before, %.4f after\n", a, b);
        EXPECT_GT(a, 0.02);
        EXPECT_GT(b, 0.02);
    }
}

TEST(Music, DecodedFileIsGaplessAndLoopsWithoutAJump)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024), 0) << Mix_GetError();
    Mix_Chunk* chunk = Mix_LoadWAV(assetPath("sounds/vantle1.mp3").c_str());
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    std::vector<float> left;
    const auto* s = reinterpret_cast<const Sint16*>(chunk->abuf);
    for (Uint32 i = 0; i + 1 < chunk->alen / 2; i += 2)
        left.push_back(static_cast<float>(s[i]) / 32768.0f);
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_Quit();

    // The encoder's delay and padding are trimmed on decoding, so the file
    // holds exactly the loop: no silence the game would hear at each restart.
    const auto frames = static_cast<std::size_t>(std::lround(assetgen::composeSong().seconds() * 44100));
    EXPECT_NEAR(static_cast<double>(left.size()), static_cast<double>(frames), 64.0);
    ASSERT_GT(left.size(), 4410u);
    const std::size_t w = 882, n = left.size();
    float largestStep = 0;
    for (std::size_t i = 1; i < w; ++i)
        largestStep = std::max({largestStep, std::fabs(left[i] - left[i - 1]), std::fabs(left[n - i] - left[n - i - 1])});
    const float across = std::fabs(left.front() - left.back());
    std::printf("decoded loop point: step %.4f, largest step nearby %.4f\n", across, largestStep);
    EXPECT_LE(across, largestStep);
    EXPECT_GT(rms(left, 0, w), 0.02);
    EXPECT_GT(rms(left, n - w, n), 0.02);
}

TEST(Music, HasAMelodyOverABassLineAndABeat)
{
    const assetgen::Song song = assetgen::composeSong();
    EXPECT_GE(song.seconds(), 60.0);
    EXPECT_LE(song.seconds(), 120.0);
    std::map<Part, std::vector<int>> keys;
    std::set<int> pitches;
    for (const auto& e : song.events) {
        keys[e.part].push_back(e.key);
        if (e.part != Part::Drums)
            pitches.insert(e.key);
        EXPECT_GE(e.beat, 0.0);
        EXPECT_LT(e.beat, song.bars * 4.0);
    }
    auto median = [](std::vector<int> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    ASSERT_GE(keys[Part::Lead].size(), 150u);
    ASSERT_GE(keys[Part::Bass].size(), 150u);
    ASSERT_GE(keys[Part::Drums].size(), 300u);
    // The melody sits well above the bass.
    EXPECT_GE(median(keys[Part::Lead]) - median(keys[Part::Bass]), 24);
    // A beat has both kicks and snares.
    const std::set<int> drums(keys[Part::Drums].begin(), keys[Part::Drums].end());
    EXPECT_TRUE(drums.count(assetgen::Kick) && drums.count(assetgen::Snare) && drums.count(assetgen::ClosedHat));
    std::printf("distinct notes: %zu (melody %zu)\n", pitches.size(),
                std::set<int>(keys[Part::Lead].begin(), keys[Part::Lead].end()).size());
    EXPECT_GE(pitches.size(), 15u);
}

TEST(Music, MelodyBassAndDrumsAreAudibleThroughoutTheLoop)
{
    const assetgen::Song song = assetgen::composeSong();
    for (Part part : {Part::Lead, Part::Bass, Part::Drums}) {
        SCOPED_TRACE(static_cast<int>(part));
        const assetgen::Pcm stem = assetgen::renderSong(song, part);
        // In every eighth of the loop the part is playing.
        const std::size_t frames = stem.frames(), step = frames / 8;
        for (std::size_t k = 0; k < 8; ++k) {
            double e = 0;
            for (std::size_t i = k * step; i < (k + 1) * step; ++i)
                e += static_cast<double>(stem.samples[2 * i]) * stem.samples[2 * i];
            EXPECT_GT(std::sqrt(e / static_cast<double>(step)), 0.01) << "eighth " << k;
        }
    }
}
