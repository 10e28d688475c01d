#pragma once
// A music player that makes no sound: it keeps the graph's state and
// position, which a test moves on by hand, and logs every command.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/MediaPlayer.h"

namespace dv {

enum class GraphState { Stopped, Paused, Running };

struct MediaTrack {
    bool loaded = false;
    std::filesystem::path file;
    GraphState state = GraphState::Stopped;
    double position = 0;
    double duration = 0;
    std::vector<std::string> log;
};

class RecordingMediaSystem final : public IMediaSystem {
public:
    // `duration` is what every rendered file reports; with `requireFiles` a
    // missing file fails to render, as with the real player.
    explicit RecordingMediaSystem(double duration = 90.0, bool requireFiles = false)
        : duration_(duration), requireFiles_(requireFiles) {}

    std::unique_ptr<IFilterGraph> CreateFilterGraph() override;

    // The latest graph's track (shared with the graph, alive after it closes).
    MediaTrack& Track() { return *track_; }
    int GraphsCreated() const { return graphsCreated_; }
    // Plays on a running track for `seconds`, stopping at its end.
    void Advance(double seconds);

private:
    double duration_;
    bool requireFiles_;
    int graphsCreated_ = 0;
    std::shared_ptr<MediaTrack> track_ = std::make_shared<MediaTrack>();
};

}  // namespace dv
