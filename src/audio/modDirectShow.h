#pragma once
// The background music: one MP3 in a player graph, reopened for every game,
// looped by the tick, paused and stopped with the game.
#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/MediaPlayer.h"

namespace dv {

class modDirectShow {
public:
    explicit modDirectShow(IMediaSystem& media) : media_(media) {}

    std::int16_t MusicOn = 0;

    // Never fails: each step's error is ignored and the next step runs.
    void MediaOpen(const std::filesystem::path& fileName, std::int16_t top, std::int16_t left, std::int16_t width,
                   std::int16_t height, bool fullScreen);
    void MediaClose();
    void MusicRestart();
    void MusicPause();
    void MusicUpdate();
    void MusicStop();
    double CurrentPosition();
    double Duration();

    bool HasGraph() const { return graph_ != nullptr; }

private:
    IMediaSystem& media_;
    std::unique_ptr<IFilterGraph> graph_;
};

}  // namespace dv
