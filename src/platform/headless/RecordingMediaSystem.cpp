#include "platform/headless/RecordingMediaSystem.h"

#include <algorithm>

#include "platform/Error.h"

namespace dv {
namespace {

class RecordingGraph final : public IFilterGraph {
public:
    RecordingGraph(std::shared_ptr<MediaTrack> track, double duration, bool requireFiles)
        : track_(std::move(track)), duration_(duration), requireFiles_(requireFiles) {}

    void RenderFile(const std::filesystem::path& file) override {
        track_->log.push_back("render " + file.filename().string());
        if (requireFiles_ && !std::filesystem::is_regular_file(file)) {
            throw Error(err::FileNotFound, "File non trovato: " + file.string());
        }
        track_->loaded = true;
        track_->file = file;
        track_->duration = duration_;
    }
    void Run() override { Command("run", GraphState::Running); }
    void Pause() override { Command("pause", GraphState::Paused); }
    void Stop() override { Command("stop", GraphState::Stopped); }
    double CurrentPosition() override { return track_->loaded ? track_->position : 0.0; }
    void SetCurrentPosition(double seconds) override {
        track_->log.push_back("seek " + std::to_string(static_cast<int>(seconds)));
        if (track_->loaded) {
            track_->position = std::clamp(seconds, 0.0, track_->duration);
        }
    }
    double Duration() override { return track_->loaded ? track_->duration : 0.0; }
    void SetVolume(long) override {}
    void SetBalance(long) override {}
    void SetRate(double) override {}

private:
    void Command(const char* name, GraphState state) {
        track_->log.push_back(name);
        if (track_->loaded) {
            track_->state = state;
        }
    }

    std::shared_ptr<MediaTrack> track_;
    double duration_;
    bool requireFiles_;
};

}  // namespace

std::unique_ptr<IFilterGraph> RecordingMediaSystem::CreateFilterGraph() {
    ++graphsCreated_;
    track_ = std::make_shared<MediaTrack>();
    return std::make_unique<RecordingGraph>(track_, duration_, requireFiles_);
}

void RecordingMediaSystem::Advance(double seconds) {
    MediaTrack& t = *track_;
    if (t.loaded && t.state == GraphState::Running) {
        t.position = std::min(t.duration, t.position + seconds);
        if (t.position >= t.duration) {
            t.state = GraphState::Stopped;
        }
    }
}

}  // namespace dv
