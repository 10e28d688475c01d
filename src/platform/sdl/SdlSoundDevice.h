#pragma once
// Sound effects on SDL_mixer: every loaded WAV owns one mixer channel, so
// asking for a sound again restarts it while different sounds overlap.
// Tied to a window, the effects fall silent while another window has the
// keyboard focus, and sound again when the game's window gets it back; they
// go on playing all the same. Music is not touched.
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/SoundDevice.h"

struct Mix_Chunk;
struct SDL_Window;
union SDL_Event;

namespace dv::sdl {

class MixerLease;

class SdlSoundDevice : public ISoundDevice {
public:
    static constexpr int kMinimumChannels = 14;

    // Without a window (headless) the effects are always heard.
    explicit SdlSoundDevice(SDL_Window* window = nullptr);
    ~SdlSoundDevice() override;
    SdlSoundDevice(const SdlSoundDevice&) = delete;
    SdlSoundDevice& operator=(const SdlSoundDevice&) = delete;

    void Create() override;
    SoundBufferId CreateSoundBufferFromFile(const std::filesystem::path& file) override;
    void Stop(SoundBufferId buffer) override;
    void SetCurrentPosition(SoundBufferId buffer, std::int32_t position) override;
    void Play(SoundBufferId buffer) override;

    // The mixer channel a buffer plays on (tests observe it with Mix_Playing).
    int ChannelOf(SoundBufferId buffer) const;

private:
    struct Voice {
        Mix_Chunk* chunk = nullptr;
        std::filesystem::path file;
    };
    const Voice& VoiceOf(SoundBufferId buffer) const;
    static int WatchFocus(void* device, SDL_Event* event);
    void SetMuted(bool muted);

    SDL_Window* window_;
    bool watching_ = false;
    bool muted_ = false;

    std::unique_ptr<MixerLease> mixer_;
    std::vector<Voice> voices_;  // buffer id N is voices_[N - 1] on channel N - 1
};

}  // namespace dv::sdl
