#include "platform/sdl/SdlSoundDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "platform/Error.h"
#include "platform/sdl/SdlMixer.h"

namespace dv::sdl {

SdlSoundDevice::SdlSoundDevice() = default;

SdlSoundDevice::~SdlSoundDevice() {
    if (mixer_) {
        Mix_HaltChannel(-1);
    }
    for (Voice& v : voices_) {
        Mix_FreeChunk(v.chunk);
    }
}

void SdlSoundDevice::Create() {
    if (mixer_) {
        return;
    }
    auto mixer = std::make_unique<MixerLease>();
    Mix_AllocateChannels(kMinimumChannels);
    mixer_ = std::move(mixer);
}

SoundBufferId SdlSoundDevice::CreateSoundBufferFromFile(const std::filesystem::path& file) {
    if (!mixer_) {
        throw Error(err::SoundDeviceFailed, "Dispositivo audio non aperto: " + file.string());
    }
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        throw Error(err::FileNotFound, "File non trovato: " + file.string());
    }
    // A cut-off WAV is refused rather than played short.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    Mix_Chunk* chunk = Mix_LoadWAV(file.string().c_str());
    if (chunk == nullptr) {
        throw Error(err::PathFileAccessError, "File audio non valido: " + file.string());
    }
    const int needed = static_cast<int>(voices_.size()) + 1;
    if (needed > Mix_AllocateChannels(-1) && Mix_AllocateChannels(needed) < needed) {
        Mix_FreeChunk(chunk);
        throw Error(err::SoundDeviceFailed, "Canali audio esauriti: " + file.string());
    }
    voices_.push_back(Voice{chunk, file});
    return static_cast<SoundBufferId>(voices_.size());
}

const SdlSoundDevice::Voice& SdlSoundDevice::VoiceOf(SoundBufferId buffer) const {
    if (buffer < 1 || static_cast<std::size_t>(buffer) > voices_.size()) {
        throw Error(err::SoundDeviceFailed, "Buffer audio inesistente: " + std::to_string(buffer));
    }
    return voices_[static_cast<std::size_t>(buffer) - 1];
}

int SdlSoundDevice::ChannelOf(SoundBufferId buffer) const {
    VoiceOf(buffer);
    return buffer - 1;
}

void SdlSoundDevice::Stop(SoundBufferId buffer) {
    Mix_HaltChannel(ChannelOf(buffer));
}

void SdlSoundDevice::SetCurrentPosition(SoundBufferId buffer, std::int32_t /*position*/) {
    // A chunk always plays from its start, and the game only ever rewinds to 0.
    VoiceOf(buffer);
}

void SdlSoundDevice::Play(SoundBufferId buffer) {
    const Voice& voice = VoiceOf(buffer);
    if (Mix_PlayChannel(ChannelOf(buffer), voice.chunk, 0) < 0) {
        throw Error(err::SoundDeviceFailed, "Impossibile riprodurre il suono: " + voice.file.string());
    }
}

}  // namespace dv::sdl
