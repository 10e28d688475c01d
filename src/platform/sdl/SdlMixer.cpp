#include "platform/sdl/SdlMixer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include "platform/Error.h"

namespace dv::sdl {

namespace {
[[noreturn]] void ThrowNoDevice() {
    throw Error(err::SoundDeviceFailed,
                "Nessun dispositivo audio utilizzabile. Per giocare senza suono, avviare il gioco con la "
                "variabile d'ambiente SDL_AUDIODRIVER=dummy.");
}
}  // namespace

MixerLease::MixerLease() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        ThrowNoDevice();
    }
    int frequency = kFrequency;
    Uint16 format = MIX_DEFAULT_FORMAT;
    int channels = kChannels;
    // Reopening with the rate, format and channels already in use only counts
    // one more opening; anything else would make SDL_mixer close and reopen
    // the device under whoever opened it first.
    if (Mix_QuerySpec(&frequency, &format, &channels) == 0) {
        frequency = kFrequency;
        format = MIX_DEFAULT_FORMAT;
        channels = kChannels;
    }
    if (Mix_OpenAudio(frequency, format, channels, kChunkFrames) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        ThrowNoDevice();
    }
}

MixerLease::~MixerLease() {
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace dv::sdl
