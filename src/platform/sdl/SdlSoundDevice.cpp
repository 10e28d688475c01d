#include "platform/sdl/SdlSoundDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <string>
#include <system_error>

#include "platform/Error.h"
#include "platform/sdl/SdlMixer.h"

namespace dv::sdl {

SdlSoundDevice::SdlSoundDevice(SDL_Window* window) : window_(window) {}

SdlSoundDevice::~SdlSoundDevice() {
    if (watching_) {
        SDL_DelEventWatch(&SdlSoundDevice::WatchFocus, this);
    }
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
    if (window_ != nullptr) {
        // The watch sees each focus change as the window system reports it,
        // whoever drains the event queue.
        SDL_AddEventWatch(&SdlSoundDevice::WatchFocus, this);
        watching_ = true;
        SetMuted(SDL_GetKeyboardFocus() != window_);
    }
}

int SdlSoundDevice::WatchFocus(void* device, SDL_Event* event) {
    auto* self = static_cast<SdlSoundDevice*>(device);
    if (event->type == SDL_WINDOWEVENT && event->window.windowID == SDL_GetWindowID(self->window_)) {
        if (event->window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
            self->SetMuted(false);
        } else if (event->window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            self->SetMuted(true);
        }
    }
    return 0;
}

void SdlSoundDevice::SetMuted(bool muted) {
    muted_ = muted;
    for (std::size_t channel = 0; channel < voices_.size(); ++channel) {
        Mix_Volume(static_cast<int>(channel), muted ? 0 : MIX_MAX_VOLUME);
    }
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
    Mix_Volume(needed - 1, muted_ ? 0 : MIX_MAX_VOLUME);
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
