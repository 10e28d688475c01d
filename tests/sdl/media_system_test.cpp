#include "platform/sdl/SdlMediaSystem.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <lame/lame.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "platform/Error.h"

#include "TempDir.h"
#include "WaitFor.h"

namespace dv::sdl {
namespace {

using State = SdlFilterGraph::State;

using test::TempDir;

// A constant-bit-rate MP3 of a 440 Hz tone, with the encoder's info frame
// so decoders know its exact length.
std::filesystem::path WriteMp3(const std::filesystem::path& file, double seconds) {
    constexpr int kRate = 44100;
    lame_t lame = lame_init();
    lame_set_in_samplerate(lame, kRate);
    lame_set_out_samplerate(lame, kRate);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, 128);
    lame_set_VBR(lame, vbr_off);
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_quality(lame, 7);
    EXPECT_EQ(lame_init_params(lame), 0);

    const int frames = static_cast<int>(seconds * kRate);
    std::vector<short> pcm(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        pcm[static_cast<std::size_t>(i)] =
            static_cast<short>(8000 * std::sin(2 * std::numbers::pi * 440.0 * i / kRate));
    }
    std::vector<unsigned char> mp3(static_cast<std::size_t>(frames * 5 / 4 + 7200 + 7200));
    int size = lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, mp3.data(), static_cast<int>(mp3.size()));
    EXPECT_GE(size, 0);
    size += lame_encode_flush(lame, mp3.data() + size, static_cast<int>(mp3.size()) - size);

    FILE* out = std::fopen(file.c_str(), "w+b");
    EXPECT_NE(out, nullptr);
    std::fwrite(mp3.data(), 1, static_cast<std::size_t>(size), out);
    lame_mp3_tags_fid(lame, out);  // rewrites the first frame as the info frame
    std::fclose(out);
    lame_close(lame);
    return file;
}

using test::WaitFor;

class MediaGraph : public ::testing::Test {
protected:
    void SetUp() override {
        auto* graph = media_.CreateFilterGraph().release();
        graph_.reset(dynamic_cast<SdlFilterGraph*>(graph));
        ASSERT_NE(graph_, nullptr);
    }

    TempDir dir_;
    SdlMediaSystem media_;
    std::unique_ptr<SdlFilterGraph> graph_;
};

TEST_F(MediaGraph, PlaysPausesStopsAndSeeks) {
    graph_->RenderFile(WriteMp3(dir_.Path() / "MUSIC.MP3", 4.0));
    EXPECT_NEAR(graph_->Duration(), 4.0, 0.06);
    EXPECT_EQ(graph_->GetState(), State::Stopped);
    EXPECT_EQ(graph_->CurrentPosition(), 0.0);
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    graph_->SetVolume(0);
    graph_->SetBalance(0);
    graph_->SetRate(1.0);
    graph_->Run();
    EXPECT_EQ(graph_->GetState(), State::Running);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(Mix_PausedMusic(), 0);
    EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);
    ASSERT_TRUE(WaitFor([&] { return graph_->CurrentPosition() > 0.2; }))
        << "the music does not advance: it stays at " << graph_->CurrentPosition() << " s";

    graph_->Pause();
    EXPECT_EQ(graph_->GetState(), State::Paused);
    EXPECT_EQ(Mix_PausedMusic(), 1);
    const double paused = graph_->CurrentPosition();
    EXPECT_GT(paused, 0.2);
    EXPECT_LT(paused, 3.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_DOUBLE_EQ(graph_->CurrentPosition(), paused);

    graph_->Run();
    EXPECT_EQ(Mix_PausedMusic(), 0);
    EXPECT_GE(graph_->CurrentPosition(), paused);

    graph_->Stop();
    EXPECT_EQ(graph_->GetState(), State::Stopped);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    const double stopped = graph_->CurrentPosition();
    EXPECT_GE(stopped, paused);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_DOUBLE_EQ(graph_->CurrentPosition(), stopped);

    graph_->SetCurrentPosition(0);
    EXPECT_EQ(graph_->CurrentPosition(), 0.0);

    // Run from stopped starts at the stored position.
    graph_->SetCurrentPosition(2.5);
    EXPECT_EQ(graph_->CurrentPosition(), 2.5);
    graph_->Run();
    EXPECT_GE(graph_->CurrentPosition(), 2.45);
    EXPECT_LT(graph_->CurrentPosition(), 3.5);

    // Seeking while running moves the playing track.
    graph_->SetCurrentPosition(0.5);
    EXPECT_EQ(graph_->GetState(), State::Running);
    EXPECT_GE(graph_->CurrentPosition(), 0.45);
    EXPECT_LT(graph_->CurrentPosition(), 1.5);
    graph_->Stop();
}

TEST_F(MediaGraph, PauseBeforeEverRunningStartsAtTheStoredPosition) {
    graph_->RenderFile(WriteMp3(dir_.Path() / "MUSIC.MP3", 3.0));
    graph_->Pause();
    EXPECT_EQ(graph_->GetState(), State::Paused);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    graph_->SetCurrentPosition(1.5);
    EXPECT_EQ(graph_->CurrentPosition(), 1.5);
    graph_->Run();
    EXPECT_EQ(graph_->GetState(), State::Running);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_GE(graph_->CurrentPosition(), 1.45);
    EXPECT_LT(graph_->CurrentPosition(), 2.5);
}

TEST_F(MediaGraph, EndOfTrackStopsAtTheEndAndRestartsFromTheBeginning) {
    graph_->RenderFile(WriteMp3(dir_.Path() / "SHORT.MP3", 1.0));
    const double duration = graph_->Duration();
    EXPECT_NEAR(duration, 1.0, 0.06);
    graph_->Run();
    ASSERT_TRUE(WaitFor([&] { return graph_->GetState() == State::Stopped; }))
        << "the track never ended: still at " << graph_->CurrentPosition() << " s of " << duration;
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_DOUBLE_EQ(graph_->CurrentPosition(), duration);

    graph_->SetCurrentPosition(0);
    EXPECT_EQ(graph_->CurrentPosition(), 0.0);
    graph_->Run();
    EXPECT_EQ(graph_->GetState(), State::Running);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_LT(graph_->CurrentPosition(), 0.5);
    ASSERT_TRUE(WaitFor([&] { return graph_->GetState() == State::Stopped; }))
        << "the restart never ended: still at " << graph_->CurrentPosition() << " s of " << duration;
}

TEST_F(MediaGraph, WithoutAFileEverythingDoesNothing) {
    graph_->Run();
    graph_->SetCurrentPosition(2.0);
    graph_->Pause();
    graph_->SetVolume(0);
    EXPECT_EQ(graph_->CurrentPosition(), 0.0);
    EXPECT_EQ(graph_->Duration(), 0.0);
    EXPECT_EQ(graph_->GetState(), State::Stopped);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    graph_->Stop();
    EXPECT_EQ(graph_->CurrentPosition(), 0.0);
}

TEST_F(MediaGraph, RefusesMissingAndUndecodableFiles) {
    const auto missing = dir_.Path() / "music" / "NONE.MP3";
    try {
        graph_->RenderFile(missing);
        ADD_FAILURE() << "rendered a missing file";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::FileNotFound);
        EXPECT_EQ(e.Description(), "File non trovato: " + missing.string());
    }
    const auto junk = dir_.Path() / "JUNK.MP3";
    std::ofstream(junk, std::ios::binary) << std::string(4000, 'x');
    try {
        graph_->RenderFile(junk);
        ADD_FAILURE() << "rendered a file that is not music";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::PathFileAccessError);
        EXPECT_NE(e.Description().find(junk.string()), std::string::npos);
    }
    // A failed render leaves a graph that does nothing.
    graph_->Run();
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(graph_->Duration(), 0.0);

    // Rendering over a playing file replaces it.
    graph_->RenderFile(WriteMp3(dir_.Path() / "A.MP3", 1.0));
    graph_->Run();
    graph_->RenderFile(WriteMp3(dir_.Path() / "B.MP3", 2.0));
    EXPECT_EQ(graph_->GetState(), State::Stopped);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_NEAR(graph_->Duration(), 2.0, 0.06);
}

TEST_F(MediaGraph, VolumeIsAttenuationInHundredthsOfADecibel) {
    graph_->RenderFile(WriteMp3(dir_.Path() / "MUSIC.MP3", 1.0));
    graph_->SetVolume(0);
    EXPECT_EQ(graph_->MixerVolume(), MIX_MAX_VOLUME);
    graph_->SetVolume(-600);  // about half the amplitude
    EXPECT_NEAR(graph_->MixerVolume(), MIX_MAX_VOLUME / 2, 1);
    graph_->Run();
    EXPECT_EQ(Mix_VolumeMusic(-1), graph_->MixerVolume());
    graph_->SetVolume(-10000);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    graph_->SetVolume(0);
    EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);
}

TEST(SdlMediaSystem, OpensTheMixerWhenNoSoundDeviceDid) {
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    ASSERT_EQ(Mix_QuerySpec(&rate, &format, &channels), 0);
    std::unique_ptr<IFilterGraph> graph;
    {
        SdlMediaSystem media;
        EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
        EXPECT_EQ(channels, 2);
        graph = media.CreateFilterGraph();
    }
    // A graph keeps the mixer open past the system that made it.
    EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 1);
    graph.reset();
    EXPECT_EQ(Mix_QuerySpec(&rate, &format, &channels), 0);
}

}  // namespace
}  // namespace dv::sdl
