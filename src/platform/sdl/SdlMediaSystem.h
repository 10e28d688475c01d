#pragma once
// Music on SDL_mixer's single music stream. The game holds one graph at a
// time (the old one is dropped before a new one is made), so a graph treats
// SDL_mixer's music as its own.
#include <filesystem>
#include <memory>

#include "platform/MediaPlayer.h"

struct _Mix_Music;

namespace dv::sdl {

class MixerLease;

class SdlFilterGraph : public IFilterGraph {
public:
    enum class State { Stopped, Paused, Running };

    explicit SdlFilterGraph(std::shared_ptr<MixerLease> mixer);
    ~SdlFilterGraph() override;
    SdlFilterGraph(const SdlFilterGraph&) = delete;
    SdlFilterGraph& operator=(const SdlFilterGraph&) = delete;

    void RenderFile(const std::filesystem::path& file) override;
    void Run() override;
    void Pause() override;
    void Stop() override;
    double CurrentPosition() override;
    void SetCurrentPosition(double seconds) override;
    double Duration() override;
    void SetVolume(long hundredthsOfDecibel) override;
    // SDL_mixer cannot pan or speed up its music and the game only asks for
    // the neutral values, so these do nothing.
    void SetBalance(long balance) override;
    void SetRate(double rate) override;

    State GetState();
    // The mixer volume SetVolume chose, 0..MIX_MAX_VOLUME.
    int MixerVolume() const { return mixerVolume_; }

private:
    void Release();
    // When SDL_mixer has halted the track at its end, the graph stops there.
    void NoteTrackEnd();
    // The track's length, measured once per file: SDL_mixer measures an MP3
    // by reading it all through, and the game asks every second.
    double Length();

    std::shared_ptr<MixerLease> mixer_;
    _Mix_Music* music_ = nullptr;
    State state_ = State::Stopped;
    bool inMixer_ = false;   // the track is playing or paused in SDL_mixer
    double position_ = 0;    // where the track is while it is not in the mixer
    double length_ = -1;     // the track's length once measured
    int mixerVolume_;
    std::filesystem::path file_;
};

class SdlMediaSystem : public IMediaSystem {
public:
    // Shares the mixer the sound device opened, or opens it with the same
    // parameters; throws dv::Error when there is no output device.
    SdlMediaSystem();
    ~SdlMediaSystem() override;

    std::unique_ptr<IFilterGraph> CreateFilterGraph() override;

private:
    std::shared_ptr<MixerLease> mixer_;
};

}  // namespace dv::sdl
