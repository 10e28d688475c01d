// The six states and every way between them, driven by keys tick by tick.
#include <gtest/gtest.h>

#include "TestGame.h"

namespace dv::test {
namespace {

TEST(States, StartUpLeavesTheIntroWaitingWithEverythingReady) {
    TestGame t;
    ASSERT_TRUE(t.loaded);
    EXPECT_EQ(t.g().GameState, state::Intro);
    EXPECT_EQ(t.window.CursorCount(), -1) << "cursor hidden";
    EXPECT_EQ(t.window.Shown(), 1);
    ASSERT_GE(t.render.Fonts().size(), 2u);
    EXPECT_EQ(t.render.Fonts()[0], (FontDesc{"Comic Sans MS", 24, true}));
    EXPECT_EQ(t.render.Fonts()[1], (FontDesc{"Comic Sans MS", 12, true}));
    EXPECT_EQ(t.sound.Loaded().size(), 8u);
    EXPECT_NE(t.form.SoundFx().PlaySnd(), 0);
    EXPECT_EQ(t.form.Music().MusicOn, 0);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(t.g().ClearedRows[static_cast<std::size_t>(i)], -1);
    }
    t.form.Form_Unload();
    EXPECT_EQ(t.window.CursorCount(), 0) << "cursor shown again at unload";
}

TEST(States, SpaceReleasedInTheIntroStartsAGame) {
    TestGame t;
    t.Press(dik::Space);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::Intro) << "nothing happens while Space is down";
    t.Release(dik::Space);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::Play);
    EXPECT_GE(t.g().CurPiece, 1);
    EXPECT_LE(t.g().NextPiece, 7);
    EXPECT_EQ(t.g().PieceStats[static_cast<std::size_t>(t.g().CurPiece)], 1);
    EXPECT_EQ(t.media.Track().file.filename(), "vantle1.mp3");
    EXPECT_EQ(t.media.Track().state, GraphState::Stopped) << "music starts switched off";
    EXPECT_EQ(t.form.Screens().Background.Action(), bgk::FadeIn);
    // A second Space release in play is a rotation, not a new game.
    const int graphs = t.media.GraphsCreated();
    t.Tap(dik::Space);
    EXPECT_EQ(t.media.GraphsCreated(), graphs);
}

TEST(States, PauseStopsTheRulesAndOnlyPResumes) {
    TestGame t;
    t.StartGame();
    t.Tap(dik::M);  // music on, so pausing has something to pause
    ASSERT_EQ(t.media.Track().state, GraphState::Running);
    t.Tap(dik::P);
    EXPECT_EQ(t.g().GameState, state::Pause);
    EXPECT_EQ(t.media.Track().state, GraphState::Paused);
    EXPECT_EQ(t.form.Screens().Background.Action(), bgk::FadeOut);
    const std::int16_t y = t.g().PieceY;
    t.Tick(200);
    EXPECT_EQ(t.g().PieceY, y) << "no gravity in pause";
    t.Tap(dik::Escape);
    t.Tap(dik::S);
    t.Tap(dik::M);
    EXPECT_EQ(t.g().GameState, state::Pause);
    EXPECT_NE(t.form.SoundFx().PlaySnd(), 0);
    EXPECT_NE(t.form.Music().MusicOn, 0);
    t.Tap(dik::P);
    EXPECT_EQ(t.g().GameState, state::Play);
    EXPECT_EQ(t.media.Track().state, GraphState::Running);
    EXPECT_EQ(t.form.Screens().Background.Action(), bgk::FadeIn);
}

TEST(States, TheEndGameQuestionDeclinedAndAccepted) {
    TestGame t;
    t.StartGame();
    t.Tap(dik::Escape);
    EXPECT_EQ(t.g().GameState, state::ConfirmEnd);
    EXPECT_EQ(t.g().SavedState, state::Play);
    // No acts on the tick the key goes down.
    t.Press(dik::N);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::Play);
    EXPECT_EQ(t.media.Track().state, GraphState::Paused) << "music off stays paused";
    t.Release(dik::N);
    t.Tick();
    t.g().Well(0, 25) = 3;
    t.Tap(dik::Escape);
    t.Press(dik::S);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::Intro);
    EXPECT_EQ(t.media.Track().state, GraphState::Stopped);
    EXPECT_EQ(t.g().Well(0, 25), 3) << "the well stays until the next game";
}

TEST(States, EscapeAnswersYesAndThenOpensTheQuitQuestion) {
    TestGame t;
    t.StartGame();
    t.Tap(dik::Escape);
    t.Press(dik::Escape);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::Intro) << "yes on the tick Escape goes down";
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::Intro) << "held, it only latches";
    t.Release(dik::Escape);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::ConfirmQuit) << "its release then reaches the intro";
    EXPECT_EQ(t.g().SavedState, state::Intro);
}

TEST(States, TheQuitQuestionReturnsOrEndsAtOnce) {
    TestGame t;
    t.Tick(30);
    t.Tap(dik::Escape);
    EXPECT_EQ(t.g().GameState, state::ConfirmQuit);
    const std::int16_t introStep = t.form.Screens().IntroStep;
    EXPECT_GE(introStep, 15);
    t.Tick(10);
    EXPECT_EQ(t.form.Screens().IntroStep, introStep) << "the intro stands still behind the question";
    t.Press(dik::N);
    t.Tick();
    t.Release(dik::N);
    EXPECT_EQ(t.g().GameState, state::Intro);
    // It resumes where it stood (one frame more if this tick drew), not from the start.
    EXPECT_GE(t.form.Screens().IntroStep, introStep);
    EXPECT_LE(t.form.Screens().IntroStep, introStep + 1);
    // Yes is tested before No.
    t.Tap(dik::Escape);
    t.Press(dik::N);
    t.Press(dik::S);
    t.Tick();
    ASSERT_TRUE(t.form.EndStatus().has_value());
    EXPECT_EQ(*t.form.EndStatus(), 0);
    const std::int16_t count = t.g().TickCount;
    t.Tick(5);
    EXPECT_EQ(t.g().TickCount, count) << "no tick runs after the program ended";
    EXPECT_EQ(t.window.CursorCount(), -1) << "the unload handling does not run";
}

TEST(States, StateOperationsIgnoreStatesTheyDoNotServe) {
    TestGame t;
    t.StartGame();
    const std::int16_t piece = t.g().CurPiece;
    for (std::int16_t s : {state::Play, state::Pause, state::ConfirmEnd, state::ConfirmQuit}) {
        t.g().GameState = s;
        t.form.GameStart();
        EXPECT_EQ(t.g().GameState, s);
    }
    EXPECT_EQ(t.g().CurPiece, piece);
    t.g().GameState = state::GameOver;
    t.form.GoPause();
    EXPECT_EQ(t.g().GameState, state::GameOver);
    t.form.GameExit();
    EXPECT_EQ(t.g().GameState, state::ConfirmQuit);
    t.g().GameState = state::Pause;
    t.form.GameExit();
    EXPECT_EQ(t.g().GameState, state::ConfirmEnd);
    EXPECT_EQ(t.g().SavedState, state::Pause);
}

// Fills the well so the piece that comes after the next lock cannot move.
void BlockTheEntry(TestGame& t) {
    for (int row = 2; row <= 25; ++row) {
        t.FillRow(row, 2, 9);
    }
}

TEST(States, GameOverWhenTheNewPieceCannotMoveDown) {
    TestGame t;
    t.StartGame();
    t.Tap(dik::M);
    BlockTheEntry(t);
    t.g().PieceY = 2;
    t.form.LockPiece();
    EXPECT_EQ(t.g().GameState, state::GameOver);
    EXPECT_EQ(t.Played().back(), "UH-OH_BE.WAV");
    EXPECT_EQ(t.media.Track().state, GraphState::Stopped);
    EXPECT_EQ(t.media.Track().position, 0);
    const std::int16_t entered = t.g().CurPiece;
    EXPECT_EQ(t.g().PieceStats[static_cast<std::size_t>(entered)] >= 1, true) << "the last piece is counted";
    // Space is swallowed; Escape leads back to the intro.
    t.Tap(dik::Space);
    EXPECT_EQ(t.g().GameState, state::GameOver);
    t.Tap(dik::Escape);
    EXPECT_EQ(t.g().GameState, state::Intro);
    EXPECT_LE(t.form.Screens().IntroStep, 1) << "the intro starts again";
}

TEST(States, GameOverPicturesReturnToTheIntroOnThe251stFrame) {
    TestGame t;
    t.StartGame();
    BlockTheEntry(t);
    t.form.LockPiece();
    ASSERT_EQ(t.g().GameState, state::GameOver);
    int frames = 0;
    while (t.g().GameState == state::GameOver && frames < 400) {
        t.Tick();
        if (t.g().TickCount % 2 == 0) {
            ++frames;
        }
    }
    EXPECT_EQ(frames, 251);
    EXPECT_EQ(t.g().GameState, state::Intro);
    EXPECT_EQ(t.form.Screens().GameOverStep, 0);

    // Left early, the counter is kept and the next game over goes on from it.
    t.StartGame();
    BlockTheEntry(t);
    t.form.LockPiece();
    t.Tick(60);
    t.Press(dik::Escape);
    t.Tick();
    const std::int16_t kept = t.form.Screens().GameOverStep;
    EXPECT_GE(kept, 30);
    EXPECT_LE(kept, 31);
    t.Release(dik::Escape);
    t.Tick();
    ASSERT_EQ(t.g().GameState, state::Intro);
    EXPECT_EQ(t.form.Screens().GameOverStep, kept);
    t.StartGame();
    BlockTheEntry(t);
    t.form.LockPiece();
    t.Tick(2);
    EXPECT_EQ(t.form.Screens().GameOverStep, kept + 1) << "the next game over counts on from the kept value";
}

}  // namespace
}  // namespace dv::test
