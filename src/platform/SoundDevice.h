#pragma once
// The sound-effects device: one independently restartable voice per loaded
// WAV file, with stop, rewind and play-once.
#include <cstdint>
#include <filesystem>

namespace dv {

using SoundBufferId = std::int32_t;  // 0 is "no buffer"

class ISoundDevice {
public:
    virtual ~ISoundDevice() = default;
    // Opens the default output device; throws dv::Error when there is none.
    virtual void Create() = 0;
    // Throws dv::Error naming the file when it is missing or not a valid WAV.
    virtual SoundBufferId CreateSoundBufferFromFile(const std::filesystem::path& file) = 0;
    virtual void Stop(SoundBufferId buffer) = 0;
    virtual void SetCurrentPosition(SoundBufferId buffer, std::int32_t position) = 0;
    virtual void Play(SoundBufferId buffer) = 0;  // once, not looping
};

}  // namespace dv
