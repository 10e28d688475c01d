#include "audio/modDirectShow.h"

#include "platform/Error.h"

namespace dv {
namespace {

template <typename Step>
void Ignoring(Step step) {
    try {
        step();
    } catch (const Error&) {
        // The music is optional: a failed step leaves a graph that plays nothing.
    }
}

}  // namespace

void modDirectShow::MediaOpen(const std::filesystem::path& fileName, std::int16_t, std::int16_t, std::int16_t,
                              std::int16_t, bool) {
    // Position, size and owner of a video window would follow here; the music
    // has no picture, so our player has no window to place.
    MediaClose();
    Ignoring([&] { graph_ = media_.CreateFilterGraph(); });
    if (!graph_) {
        return;
    }
    Ignoring([&] { graph_->RenderFile(fileName); });
    Ignoring([&] { graph_->SetVolume(0); });
    Ignoring([&] { graph_->SetBalance(0); });
    Ignoring([&] { graph_->SetRate(1.0); });
}

void modDirectShow::MediaClose() {
    if (graph_) {
        Ignoring([&] { graph_->Stop(); });
    }
    graph_.reset();
}

void modDirectShow::MusicRestart() {
    if (!graph_) {
        return;
    }
    graph_->SetCurrentPosition(0.0);
    if (MusicOn != 0) {
        graph_->Run();
    }
}

void modDirectShow::MusicPause() {
    if (graph_) {
        graph_->Pause();
    }
}

void modDirectShow::MusicUpdate() {
    if (!graph_) {
        return;
    }
    if (MusicOn != 0) {
        graph_->Run();
    } else {
        graph_->Pause();
    }
}

void modDirectShow::MusicStop() {
    if (!graph_) {
        return;
    }
    graph_->Stop();
    graph_->SetCurrentPosition(0.0);
}

double modDirectShow::CurrentPosition() {
    return graph_ ? graph_->CurrentPosition() : 0.0;
}

double modDirectShow::Duration() {
    return graph_ ? graph_->Duration() : 0.0;
}

}  // namespace dv
