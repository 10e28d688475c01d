#include "platform/sdl/SdlMediaSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <system_error>

#include "platform/Error.h"
#include "platform/sdl/SdlMixer.h"

namespace dv::sdl {

SdlFilterGraph::SdlFilterGraph(std::shared_ptr<MixerLease> mixer)
    : mixer_(std::move(mixer)), mixerVolume_(MIX_MAX_VOLUME) {}

SdlFilterGraph::~SdlFilterGraph() {
    Release();
}

void SdlFilterGraph::Release() {
    if (music_ != nullptr) {
        if (inMixer_) {
            Mix_HaltMusic();
        }
        Mix_FreeMusic(music_);
    }
    music_ = nullptr;
    inMixer_ = false;
    state_ = State::Stopped;
    position_ = 0;
    length_ = -1;
}

double SdlFilterGraph::Length() {
    if (length_ < 0) {
        length_ = std::max(0.0, Mix_MusicDuration(music_));
    }
    return length_;
}

void SdlFilterGraph::RenderFile(const std::filesystem::path& file) {
    Release();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        throw Error(err::FileNotFound, "File non trovato: " + file.string());
    }
    music_ = Mix_LoadMUS(file.string().c_str());
    if (music_ == nullptr) {
        throw Error(err::PathFileAccessError, "File musicale non valido: " + file.string());
    }
    file_ = file;
}

void SdlFilterGraph::NoteTrackEnd() {
    if (inMixer_ && Mix_PlayingMusic() == 0) {
        inMixer_ = false;
        state_ = State::Stopped;
        position_ = Length();
    }
}

SdlFilterGraph::State SdlFilterGraph::GetState() {
    NoteTrackEnd();
    return state_;
}

void SdlFilterGraph::Run() {
    NoteTrackEnd();
    if (music_ == nullptr || state_ == State::Running) {
        return;
    }
    if (inMixer_) {
        Mix_ResumeMusic();
    } else {
        Mix_VolumeMusic(mixerVolume_);
        if (Mix_FadeInMusicPos(music_, 1, 0, position_) != 0) {
            throw Error(err::PathFileAccessError, "Impossibile riprodurre la musica: " + file_.string());
        }
        inMixer_ = true;
    }
    state_ = State::Running;
}

void SdlFilterGraph::Pause() {
    NoteTrackEnd();
    if (music_ == nullptr || state_ == State::Paused) {
        return;
    }
    if (inMixer_) {
        Mix_PauseMusic();
    }
    state_ = State::Paused;
}

void SdlFilterGraph::Stop() {
    NoteTrackEnd();
    if (music_ == nullptr) {
        return;
    }
    if (inMixer_) {
        position_ = std::max(0.0, Mix_GetMusicPosition(music_));
        Mix_HaltMusic();
        inMixer_ = false;
    }
    state_ = State::Stopped;
}

double SdlFilterGraph::CurrentPosition() {
    NoteTrackEnd();
    if (music_ == nullptr) {
        return 0;
    }
    if (inMixer_) {
        return std::max(0.0, Mix_GetMusicPosition(music_));
    }
    return position_;
}

void SdlFilterGraph::SetCurrentPosition(double seconds) {
    NoteTrackEnd();
    if (music_ == nullptr) {
        return;
    }
    // Back to the start, the usual case, needs no length.
    const double duration = seconds > 0 ? Length() : 0;
    seconds = std::max(0.0, duration > 0 ? std::min(seconds, duration) : seconds);
    if (inMixer_) {
        if (Mix_SetMusicPosition(seconds) != 0) {
            throw Error(err::PathFileAccessError, "Impossibile spostare la musica: " + file_.string());
        }
    } else {
        position_ = seconds;
    }
}

double SdlFilterGraph::Duration() {
    if (music_ == nullptr) {
        return 0;
    }
    return Length();
}

void SdlFilterGraph::SetVolume(long hundredthsOfDecibel) {
    // Attenuation in hundredths of a decibel, 0 being full volume.
    const double gain = std::pow(10.0, static_cast<double>(std::min(0L, hundredthsOfDecibel)) / 2000.0);
    mixerVolume_ = std::clamp(static_cast<int>(std::lround(gain * MIX_MAX_VOLUME)), 0, MIX_MAX_VOLUME);
    if (music_ != nullptr) {
        Mix_VolumeMusic(mixerVolume_);
    }
}

void SdlFilterGraph::SetBalance(long /*balance*/) {}

void SdlFilterGraph::SetRate(double /*rate*/) {}

SdlMediaSystem::SdlMediaSystem() : mixer_(std::make_shared<MixerLease>()) {}

SdlMediaSystem::~SdlMediaSystem() = default;

std::unique_ptr<IFilterGraph> SdlMediaSystem::CreateFilterGraph() {
    return std::make_unique<SdlFilterGraph>(mixer_);
}

}  // namespace dv::sdl
