#pragma once
// The music player: a filter graph over one MP3 file, stopped, paused or
// running, with a position in seconds.
#include <filesystem>
#include <memory>

namespace dv {

class IFilterGraph {
public:
    virtual ~IFilterGraph() = default;
    // Every call may throw dv::Error. With no file rendered, every operation
    // does nothing and the reads give 0.
    virtual void RenderFile(const std::filesystem::path& file) = 0;
    virtual void Run() = 0;
    virtual void Pause() = 0;
    virtual void Stop() = 0;
    virtual double CurrentPosition() = 0;
    virtual void SetCurrentPosition(double seconds) = 0;
    virtual double Duration() = 0;
    virtual void SetVolume(long hundredthsOfDecibel) = 0;  // 0 = full volume
    virtual void SetBalance(long balance) = 0;             // 0 = centred
    virtual void SetRate(double rate) = 0;
};

class IMediaSystem {
public:
    virtual ~IMediaSystem() = default;
    virtual std::unique_ptr<IFilterGraph> CreateFilterGraph() = 0;
};

}  // namespace dv
