// The music through whole games: when it runs, pauses, resumes and rewinds.
#include <gtest/gtest.h>

#include "TestGame.h"
#include "audio/modDirectShow.h"

namespace dv::test {
namespace {

TEST(Music, FollowsTheSwitchPauseAndTheQuestions) {
    TestGame t;
    t.StartGame();
    MediaTrack* track = &t.media.Track();
    EXPECT_EQ(track->state, GraphState::Stopped) << "a first game is silent";
    t.Tap(dik::M);
    EXPECT_EQ(track->state, GraphState::Running);
    EXPECT_EQ(track->position, 0) << "M starts the track from its beginning";

    t.media.Advance(10);
    t.Tap(dik::P);
    EXPECT_EQ(track->state, GraphState::Paused);
    t.media.Advance(5);
    t.Tap(dik::P);
    EXPECT_EQ(track->state, GraphState::Running);
    EXPECT_EQ(track->position, 10) << "pause and resume keep the place";

    t.Tap(dik::M);
    EXPECT_EQ(track->state, GraphState::Paused);
    t.Tap(dik::M);
    EXPECT_EQ(track->state, GraphState::Running);
    EXPECT_EQ(track->position, 10) << "off and on again resumes, not restarts";

    // Declining the question resumes only with the switch on.
    t.Tap(dik::Escape);
    EXPECT_EQ(track->state, GraphState::Paused);
    t.Tap(dik::N);
    EXPECT_EQ(track->state, GraphState::Running);
    t.Tap(dik::M);
    t.Tap(dik::Escape);
    t.Tap(dik::N);
    EXPECT_EQ(track->state, GraphState::Paused);
    t.Tap(dik::M);

    // Accepting stops and rewinds; the next game opens the file afresh.
    t.Tap(dik::Escape);
    t.Tap(dik::S);
    EXPECT_EQ(track->state, GraphState::Stopped);
    EXPECT_EQ(track->position, 0);
    const int graphs = t.media.GraphsCreated();
    t.StartGame();
    EXPECT_EQ(t.media.GraphsCreated(), graphs + 1);
    track = &t.media.Track();
    EXPECT_EQ(track->state, GraphState::Running) << "the switch survives from game to game";
    EXPECT_NE(t.form.Music().MusicOn, 0);
}

TEST(Music, TheTickRestartsTheTrackInItsLastSecondOnlyInPlay) {
    TestGame t;
    t.StartGame();
    t.Tap(dik::M);
    MediaTrack& track = t.media.Track();
    track.position = track.duration - 0.5;
    t.TickUntilCount(99);
    EXPECT_EQ(track.position, track.duration - 0.5);
    t.Tick(2);  // the check looks at TickCount before it advances
    EXPECT_EQ(track.position, 0);
    EXPECT_EQ(track.state, GraphState::Running);

    // Paused, no check is made.
    track.position = track.duration - 0.5;
    t.Tap(dik::P);
    t.Tick(250);
    EXPECT_EQ(track.position, track.duration - 0.5);
    t.Tap(dik::P);
    t.Tick(101);
    EXPECT_EQ(track.position, 0);

    // A track that has run out is stopped at its end and plays again.
    t.media.Advance(track.duration + 5);
    EXPECT_EQ(track.state, GraphState::Stopped);
    t.Tick(101);
    EXPECT_EQ(track.position, 0);
    EXPECT_EQ(track.state, GraphState::Running);
}

TEST(Music, GameOverStopsAndRewinds) {
    TestGame t;
    t.StartGame();
    t.Tap(dik::M);
    t.media.Advance(20);
    for (int row = 2; row <= 25; ++row) {
        t.FillRow(row, 1, 0);
    }
    t.form.LockPiece();
    ASSERT_EQ(t.g().GameState, state::GameOver);
    EXPECT_EQ(t.media.Track().state, GraphState::Stopped);
    EXPECT_EQ(t.media.Track().position, 0);
}

TEST(Music, AMissingFileLeavesAGraphThatPlaysNothing) {
    RecordingMediaSystem media(90, true);
    modDirectShow music(media);
    music.MusicOn = -1;
    EXPECT_NO_THROW(music.MediaOpen("/nonexistent/sounds/vantle1.mp3", 0, 0, 12000, 9000, false));
    EXPECT_TRUE(music.HasGraph());
    EXPECT_NO_THROW(music.MusicRestart());
    EXPECT_NO_THROW(music.MusicPause());
    EXPECT_NO_THROW(music.MusicUpdate());
    EXPECT_NO_THROW(music.MusicStop());
    EXPECT_EQ(music.CurrentPosition(), 0);
    EXPECT_EQ(music.Duration(), 0);
    EXPECT_EQ(media.Track().state, GraphState::Stopped);
}

}  // namespace
}  // namespace dv::test
