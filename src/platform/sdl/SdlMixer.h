#pragma once
// Who opens the mixer: whichever of the sound device and the media system
// comes first. Each holds a MixerLease; SDL's audio subsystem and SDL_mixer
// both count their openings, so the device is shared and closes with the
// last lease. The host (SDL_Quit) must outlive every lease.
#include <memory>

namespace dv::sdl {

class MixerLease {
public:
    static constexpr int kFrequency = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kChunkFrames = 1024;

    // Throws dv::Error (err::SoundDeviceFailed) when no output device opens.
    MixerLease();
    ~MixerLease();
    MixerLease(const MixerLease&) = delete;
    MixerLease& operator=(const MixerLease&) = delete;
};

}  // namespace dv::sdl
