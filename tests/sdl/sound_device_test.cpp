#include "platform/sdl/SdlSoundDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Error.h"
#include "platform/sdl/SdlMediaSystem.h"

#include "TempDir.h"
#include "WaitFor.h"

namespace dv::sdl {
namespace {

using test::TempDir;

void PutLE(std::string& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
}

// A 44100 Hz 16-bit stereo PCM file whose every sample holds frame / 4, so
// whatever the mixer reads tells where in the sound it is.
std::filesystem::path WriteWav(const std::filesystem::path& file, std::uint32_t frames,
                               std::uint32_t droppedBytes = 0) {
    const std::uint32_t dataBytes = frames * 4;
    std::string w = "RIFF";
    PutLE(w, 36 + dataBytes, 4);
    w += "WAVEfmt ";
    PutLE(w, 16, 4);
    PutLE(w, 1, 2);          // PCM
    PutLE(w, 2, 2);          // channels
    PutLE(w, 44100, 4);      // rate
    PutLE(w, 44100 * 4, 4);  // bytes a second
    PutLE(w, 4, 2);          // block align
    PutLE(w, 16, 2);         // bits
    w += "data";
    PutLE(w, dataBytes, 4);
    for (std::uint32_t i = 0; i < frames; ++i) {
        PutLE(w, i / 4, 2);
        PutLE(w, i / 4, 2);
    }
    w.resize(w.size() - droppedBytes);
    std::ofstream(file, std::ios::binary).write(w.data(), static_cast<std::streamsize>(w.size()));
    return file;
}

using test::WaitFor;

Error LoadError(SdlSoundDevice& device, const std::filesystem::path& file) {
    try {
        device.CreateSoundBufferFromFile(file);
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "loaded " << file;
    return Error(0, "");
}

TEST(SdlSoundDevice, EachSoundHasItsOwnChannel) {
    TempDir dir;
    SdlSoundDevice device;
    device.Create();
    EXPECT_GE(Mix_AllocateChannels(-1), SdlSoundDevice::kMinimumChannels);
    const SoundBufferId a = device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "A.WAV", 44100));
    const SoundBufferId b = device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "B.WAV", 44100));
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    ASSERT_NE(device.ChannelOf(a), device.ChannelOf(b));

    // Asked twice in one tick, a sound is heard once.
    device.Play(a);
    device.Play(a);
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_EQ(Mix_Playing(device.ChannelOf(a)), 1);
    // Different sounds play over each other.
    device.Play(b);
    EXPECT_EQ(Mix_Playing(-1), 2);

    device.Stop(a);
    device.SetCurrentPosition(a, 0);
    EXPECT_EQ(Mix_Playing(device.ChannelOf(a)), 0);
    EXPECT_EQ(Mix_Playing(device.ChannelOf(b)), 1);
    device.Play(a);
    EXPECT_EQ(Mix_Playing(device.ChannelOf(a)), 1);
}

TEST(SdlSoundDevice, ManySoundsGetMoreChannels) {
    TempDir dir;
    SdlSoundDevice device;
    device.Create();
    const auto file = WriteWav(dir.Path() / "S.WAV", 100);
    std::vector<int> channels;
    for (int i = 0; i < SdlSoundDevice::kMinimumChannels + 3; ++i) {
        channels.push_back(device.ChannelOf(device.CreateSoundBufferFromFile(file)));
    }
    EXPECT_GE(Mix_AllocateChannels(-1), SdlSoundDevice::kMinimumChannels + 3);
    std::sort(channels.begin(), channels.end());
    EXPECT_EQ(std::adjacent_find(channels.begin(), channels.end()), channels.end());
    EXPECT_LT(channels.back(), Mix_AllocateChannels(-1));
}

struct Tap {
    std::atomic<int> first{-1};
    std::atomic<int> last{-1};
    static void Effect(int, void* stream, int len, void* udata) {
        auto* tap = static_cast<Tap*>(udata);
        const auto* samples = static_cast<const std::int16_t*>(stream);
        int expected = -1;
        tap->first.compare_exchange_strong(expected, samples[0]);
        tap->last = samples[len / 2 - 1];
    }
};

TEST(SdlSoundDevice, PlayingAgainRestartsFromTheBeginning) {
    TempDir dir;
    SdlSoundDevice device;
    device.Create();
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_NE(Mix_QuerySpec(&rate, &format, &channels), 0);
    if (rate != 44100 || format != AUDIO_S16SYS || channels != 2) {
        GTEST_SKIP() << "the mixer converts samples; their values no longer give the position";
    }
    const SoundBufferId s = device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "RAMP.WAV", 88200));
    const int channel = device.ChannelOf(s);

    Tap firstPlay;
    device.Play(s);
    ASSERT_NE(Mix_RegisterEffect(channel, &Tap::Effect, nullptr, &firstPlay), 0);
    ASSERT_TRUE(WaitFor([&] { return firstPlay.last >= 2000; }))
        << "the mixer does not advance: the last sample it mixed was " << firstPlay.last;
    const int reached = firstPlay.last;

    Tap secondPlay;
    device.Play(s);
    ASSERT_NE(Mix_RegisterEffect(channel, &Tap::Effect, nullptr, &secondPlay), 0);
    ASSERT_TRUE(WaitFor([&] { return secondPlay.first >= 0; })) << "the mixer mixed nothing of the second play";
    EXPECT_LT(secondPlay.first, reached);
    EXPECT_LT(secondPlay.first, 1024);
    device.Stop(s);
}

TEST(SdlSoundDevice, RefusesMissingTruncatedAndInvalidFiles) {
    TempDir dir;
    SdlSoundDevice device;
    device.Create();

    const auto missing = dir.Path() / "sounds" / "DOING.WAV";
    Error e = LoadError(device, missing);
    EXPECT_EQ(e.Number(), err::FileNotFound);
    EXPECT_EQ(e.Description(), "File non trovato: " + missing.string());

    const auto truncated = WriteWav(dir.Path() / "CUT.WAV", 4410, 1001);
    e = LoadError(device, truncated);
    EXPECT_EQ(e.Number(), err::PathFileAccessError);
    EXPECT_NE(e.Description().find(truncated.string()), std::string::npos);

    const auto garbage = dir.Path() / "JUNK.WAV";
    std::ofstream(garbage, std::ios::binary) << "RIFF\x10\x00\x00\x00WAVEnot a wave file at all";
    e = LoadError(device, garbage);
    EXPECT_EQ(e.Number(), err::PathFileAccessError);
    EXPECT_NE(e.Description().find(garbage.string()), std::string::npos);

    e = LoadError(device, dir.Path());  // a folder, not a file
    EXPECT_EQ(e.Number(), err::PathFileAccessError);

    // A whole file of the same shape still loads.
    EXPECT_NO_THROW(device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "OK.WAV", 4410)));
}

TEST(SdlSoundDevice, UnknownBufferAndUnopenedDeviceRaise) {
    TempDir dir;
    SdlSoundDevice device;
    EXPECT_THROW(device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "A.WAV", 10)), Error);
    device.Create();
    EXPECT_THROW(device.Play(1), Error);
    EXPECT_THROW(device.Stop(0), Error);
    EXPECT_THROW(device.SetCurrentPosition(-1, 0), Error);
}

TEST(SdlSoundDevice, NoOutputDeviceTellsHowToRunSilently) {
    ASSERT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "no-such-driver", SDL_HINT_OVERRIDE);
    SdlSoundDevice device;
    try {
        device.Create();
        ADD_FAILURE() << "opened a device that does not exist";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::SoundDeviceFailed);
        EXPECT_NE(e.Description().find("SDL_AUDIODRIVER=dummy"), std::string::npos);
    }
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

TEST(SdlSoundDevice, SharesTheMixerWithTheMediaSystem) {
    TempDir dir;
    SdlSoundDevice device;
    device.Create();
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    {
        SdlMediaSystem media;
        EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 2);
    }
    EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    const SoundBufferId s = device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "A.WAV", 44100));
    device.Play(s);
    EXPECT_EQ(Mix_Playing(device.ChannelOf(s)), 1);
}

TEST(SdlSoundDevice, ClosesTheMixerWhenDestroyed) {
    {
        SdlSoundDevice device;
        device.Create();
        EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 0);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

void SendFocus(Uint32 windowId, SDL_WindowEventID change) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = windowId;
    e.window.event = static_cast<Uint8>(change);
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    SDL_FlushEvent(SDL_WINDOWEVENT);  // whoever drains the queue, the device has seen it
}

TEST(SdlSoundDevice, EffectsFallSilentWithoutTheFocusWhileTheMusicPlaysOn) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_Window* window = SDL_CreateWindow("focus", 0, 0, 80, 60, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    const Uint32 id = SDL_GetWindowID(window);
    TempDir dir;
    {
        SdlSoundDevice device(window);
        device.Create();
        const SoundBufferId soundA = device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "A.WAV", 44100));
        const int a = device.ChannelOf(soundA);
        ASSERT_EQ(SDL_GetKeyboardFocus(), nullptr);
        EXPECT_EQ(Mix_Volume(a, -1), 0) << "no window has the focus yet";
        constexpr int music = 77;  // what the music player set, whatever it is
        Mix_VolumeMusic(music);

        SendFocus(id, SDL_WINDOWEVENT_FOCUS_GAINED);
        EXPECT_EQ(Mix_Volume(a, -1), MIX_MAX_VOLUME);
        const int b = device.ChannelOf(device.CreateSoundBufferFromFile(WriteWav(dir.Path() / "B.WAV", 44100)));
        EXPECT_EQ(Mix_Volume(b, -1), MIX_MAX_VOLUME);
        device.Play(soundA);

        SendFocus(id + 1, SDL_WINDOWEVENT_FOCUS_LOST);  // another window's business
        EXPECT_EQ(Mix_Volume(a, -1), MIX_MAX_VOLUME);
        SendFocus(id, SDL_WINDOWEVENT_FOCUS_LOST);
        EXPECT_EQ(Mix_Volume(a, -1), 0);
        EXPECT_EQ(Mix_Volume(b, -1), 0);
        EXPECT_EQ(Mix_Playing(a), 1) << "a silenced sound goes on playing";
        EXPECT_EQ(Mix_VolumeMusic(-1), music);
        SendFocus(id, SDL_WINDOWEVENT_FOCUS_GAINED);
        EXPECT_EQ(Mix_Volume(b, -1), MIX_MAX_VOLUME);
        EXPECT_EQ(Mix_VolumeMusic(-1), music);
    }
    {
        // Headless there is no window, and nothing to lose the focus to.
        SdlSoundDevice headless;
        headless.Create();
        const int c = headless.ChannelOf(headless.CreateSoundBufferFromFile(WriteWav(dir.Path() / "C.WAV", 100)));
        EXPECT_EQ(Mix_Volume(c, -1), MIX_MAX_VOLUME);
    }
    SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace
}  // namespace dv::sdl
