// The bursting cells, the score labels, the background's actions and the
// landing image: what moves, where it starts and what it draws.
#include <gtest/gtest.h>

#include <cmath>

#include "TestGame.h"

namespace dv::test {
namespace {

int ActiveDebris(modGrafica& s) {
    int n = 0;
    for (const DebrisCell& c : s.Debris) {
        n += c.Active != 0 ? 1 : 0;
    }
    return n;
}

TEST(Debris, OneRowLaunchesTenCellsFromItsPlaceInItsColours) {
    TestGame t;
    modGrafica& s = t.form.Screens();
    for (int col = 0; col <= 9; ++col) {
        t.g().Well(col, 20) = static_cast<std::int16_t>(1 + col % 7);
    }
    t.g().ClearedRows[1] = 20;
    RandomStream expected = t.g().Rnd;
    s.SpawnDebris();
    for (int col = 0; col <= 9; ++col) {
        const DebrisCell& c = s.Debris[static_cast<std::size_t>(col)];
        EXPECT_EQ(c.Active, -1);
        EXPECT_EQ(c.X, 300 + 17 * col);
        EXPECT_EQ(600 - c.Y, 404) << "screen row of well row 20 on the 17-pixel pitch";
        EXPECT_EQ(c.Tex, 1 + col % 7);
        const double speed = expected.Next();
        const double angle = expected.Next();
        EXPECT_EQ(c.Speed, static_cast<int>(speed * 10) + 15) << "speed takes the first draw";
        EXPECT_EQ(c.Angle, static_cast<int>(angle * 20) + 80);
        EXPECT_GE(c.Speed, 15);
        EXPECT_LE(c.Speed, 24);
    }
    EXPECT_EQ(t.g().Rnd.State(), expected.State()) << "two draws per cell, no more";
    EXPECT_EQ(t.g().ClearedRows[1], -1);
    EXPECT_EQ(ActiveDebris(s), 10);
}

TEST(Debris, RowsGoLastRecordFirstIntoFreeSlotsOnly) {
    TestGame t;
    modGrafica& s = t.form.Screens();
    t.FillRow(18, 2);
    t.FillRow(19, 5);
    for (int i = 0; i < 5; ++i) {
        s.Debris[static_cast<std::size_t>(i)].Active = -1;
        s.Debris[static_cast<std::size_t>(i)].Y = 1000;
    }
    t.g().ClearedRows[1] = 18;
    t.g().ClearedRows[2] = 19;
    s.SpawnDebris();
    for (int i = 5; i < 15; ++i) {
        EXPECT_EQ(s.Debris[static_cast<std::size_t>(i)].Tex, 5) << "row 19 first, slot " << i;
    }
    for (int i = 15; i < 25; ++i) {
        EXPECT_EQ(s.Debris[static_cast<std::size_t>(i)].Tex, 2) << "then row 18, slot " << i;
    }
    EXPECT_EQ(t.g().ClearedRows[1], -1);
    EXPECT_EQ(t.g().ClearedRows[2], -1);
}

TEST(Debris, AFullPoolLaunchesWhatFitsAndStillFreesEveryRow) {
    TestGame t;
    modGrafica& s = t.form.Screens();
    for (int i = 0; i < 95; ++i) {
        s.Debris[static_cast<std::size_t>(i)].Active = -1;
    }
    for (int k = 1; k <= 4; ++k) {
        t.FillRow(20 + k, 3);
        t.g().ClearedRows[static_cast<std::size_t>(k)] = static_cast<std::int16_t>(20 + k);
    }
    RandomStream expected = t.g().Rnd;
    s.SpawnDebris();
    EXPECT_EQ(ActiveDebris(s), 101);
    for (int i = 0; i < 12; ++i) {
        expected.Next();
    }
    EXPECT_EQ(t.g().Rnd.State(), expected.State()) << "draws only for the six cells launched";
    for (int k = 1; k <= 4; ++k) {
        EXPECT_EQ(t.g().ClearedRows[static_cast<std::size_t>(k)], -1) << "record " << k;
    }
}

TEST(Debris, CellsFlyOnlyOnThePlayScreenAndAreFreedBelowTheBottom) {
    TestGame t;
    t.StartGame();
    modGrafica& s = t.form.Screens();
    t.FillRow(25, 4);
    t.g().ClearedRows[1] = 25;
    s.SpawnDebris();
    DebrisCell& c = s.Debris[0];
    c.Angle = 90;
    c.Speed = 15;
    auto frame = [&] {
        t.render.Clear(1, 0, 0, 0);
        t.render.BeginScene();
        s.EvolveDebris();
        t.render.EndScene();
    };
    frame();
    EXPECT_EQ(c.Y, 111) << "the first frame does not move";
    float peak = c.Y;
    int frames = 1;
    while (c.Active != 0 && frames < 200) {
        frame();
        peak = std::max(peak, c.Y);
        ++frames;
    }
    EXPECT_EQ(frames, 50) << "freed after 50 frames";
    EXPECT_NEAR(peak, 345, 10) << "peaks at a height of about 345";
    // In the intro nothing moves.
    t.FillRow(25, 4);
    t.g().ClearedRows[1] = 25;
    s.SpawnDebris();
    t.Tap(dik::Escape);
    t.Press(dik::S);
    t.Tick();
    ASSERT_EQ(t.g().GameState, state::Intro);
    const float y = s.Debris[0].Y;
    t.Tick(40);
    EXPECT_EQ(s.Debris[0].Y, y);
}

TEST(Debris, ACellIsDrawnInTheFrameItMovesButNotInTheFrameItIsFreed) {
    TestGame t;
    t.StartGame();
    modGrafica& s = t.form.Screens();
    t.FillRow(20, 6);
    t.g().ClearedRows[1] = 20;
    s.SpawnDebris();
    for (std::size_t i = 1; i < 10; ++i) {
        s.Debris[i].Active = 0;
    }
    auto debrisDrawn = [&] {
        int n = 0;
        for (const DrawCall& c : t.render.Sprites()) {
            n += (c.centre == Vec2{8, 8}) ? 1 : 0;
        }
        return n;
    };
    t.TickUntilCount((t.g().TickCount / 2 * 2 + 2) % 1000);
    EXPECT_EQ(debrisDrawn(), 1);
    const std::vector<DrawCall> sprites = t.render.Sprites();
    const DrawCall* cell = nullptr;
    for (const DrawCall& c : sprites) {
        if (c.centre == Vec2{8, 8}) {
            cell = &c;
        }
    }
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->translation, (Vec2{300, 404}));
    EXPECT_FLOAT_EQ(cell->scale.x, static_cast<float>(0.1f / 3.0 + 1.0));
    EXPECT_EQ(t.render.TextureFile(cell->texture), "texArancione.bmp");
    s.Debris[0].Y = 0.5f;
    s.Debris[0].Angle = 270;  // straight down: gone this frame
    t.Tick(2);
    EXPECT_EQ(s.Debris[0].Active, 0);
    EXPECT_EQ(debrisDrawn(), 0);
}

TEST(ScoreLabels, ReuseFreeRecordsBeforeGrowingAndDrawOnceEach) {
    TestGame t;
    clsFliyngPoints& labels = *t.form.Screens().ScoreLabels;
    EXPECT_EQ(labels.ScoreTop(), 1);
    RandomStream expected = t.g().Rnd;
    labels.InsertNewScore(20, 300, 600);  // starts at height 0: lands first
    labels.InsertNewScore(20, 300, 64);
    EXPECT_EQ(labels.ScoreTop(), 1) << "two free records at the start";
    labels.InsertNewScore(100, 385, 64);
    EXPECT_EQ(labels.ScoreTop(), 2);
    for (int i = 0; i < 3; ++i) {
        expected.Next();
    }
    EXPECT_EQ(t.g().Rnd.State(), expected.State());
    labels.EvolveScores();
    EXPECT_EQ(labels.Scores()[0].Y, 0) << "exactly 0 is not below the edge";
    EXPECT_NE(labels.Scores()[0].Active, 0);
    while (labels.Scores()[0].Active != 0) {
        labels.EvolveScores();
    }
    EXPECT_NE(labels.Scores()[1].Active, 0);
    labels.InsertNewScore(400, 385, 100);
    EXPECT_EQ(labels.Scores()[0].Score, 400) << "the lowest free record is reused";
    EXPECT_EQ(labels.ScoreTop(), 2);
    const FlyingScore& s = labels.Scores()[0];
    EXPECT_GE(s.Angle, 80);
    EXPECT_LE(s.Angle, 99);
    EXPECT_EQ(s.X, 385);
    EXPECT_EQ(s.Y, 500);
}

TEST(ScoreLabels, ALabelRisesAndFallsForAbout50Steps) {
    TestGame t;
    clsFliyngPoints& labels = *t.form.Screens().ScoreLabels;
    labels.InsertNewScore(20, 385, 64 + 17 * 25);
    float peak = 0;
    const float start = labels.Scores()[0].Y;
    int steps = 0;
    while (labels.Scores()[0].Active != 0 && steps < 200) {
        labels.EvolveScores();
        peak = std::max(peak, labels.Scores()[0].Y);
        ++steps;
    }
    EXPECT_GE(steps, 49);
    EXPECT_LE(steps, 57);
    EXPECT_GT(peak - start, 220);
    EXPECT_LT(peak - start, 240);
}

TEST(Background, ScrollWrapsAtBothEnds) {
    clsScroolBGK2 b;
    b.bgkHeight = 2400;
    b.StepY = 1;
    b.EvolveBgk();
    EXPECT_EQ(b.ScrollPos(), 2399) << "0 scrolling up becomes 2399";
    b.DoAction(bgk::ScrollDown);
    b.EvolveBgk();
    EXPECT_EQ(b.ScrollPos(), 0);
}

TEST(Background, BumpShakeAndTheirEnd) {
    clsScroolBGK2 b;
    b.bgkHeight = 2400;
    b.StepY = 0;
    for (int i = 0; i < 5; ++i) {
        b.EvolveBgk();
    }
    // A bump during upward scrolling throws the picture 35 pixels down.
    b.DoAction(bgk::Bump);
    std::vector<int> pos;
    for (int i = 0; i < 5; ++i) {
        b.EvolveBgk();
        pos.push_back(b.ScrollPos());
    }
    EXPECT_EQ(pos, (std::vector<int>{5, 15, 35, 35, 35}));
    EXPECT_EQ(b.Action(), bgk::ScrollUp);
    // The shake lasts 21 steps and leaves the picture 2 pixels lower.
    b.DoAction(bgk::Shake);
    for (int i = 0; i < 21; ++i) {
        EXPECT_EQ(b.Action(), bgk::Shake) << "step " << i;
        b.EvolveBgk();
    }
    EXPECT_EQ(b.Action(), bgk::ScrollUp);
    EXPECT_EQ(b.ScrollPos(), 37);
    // A bump that pushes the picture from 2395 by 20 wraps to 15.
    clsScroolBGK2 c;
    c.bgkHeight = 2400;
    c.StepY = 20;
    c.EvolveBgk();
    ASSERT_EQ(c.ScrollPos(), 2380);
    c.StepY = 0;
    c.DoAction(bgk::Bump);
    c.EvolveBgk();
    c.EvolveBgk();
    EXPECT_EQ(c.ScrollPos(), 2395);
    c.EvolveBgk();
    EXPECT_EQ(c.ScrollPos(), 15);
}

TEST(Background, AFadeInGivenDuringAFadeOutLeavesThePictureVisibleAndStill) {
    clsScroolBGK2 b;
    b.bgkHeight = 2400;
    b.StepY = 1;
    b.DoAction(bgk::FadeOut);
    for (int i = 0; i < 5; ++i) {
        b.EvolveBgk();
    }
    EXPECT_NEAR(b.Alpha(), 0.75, 1e-6);
    b.DoAction(bgk::FadeIn);
    b.EvolveBgk();
    EXPECT_EQ(b.Alpha(), 0.0f) << "a fade-in restarts from nothing";
    for (int i = 0; i < 20; ++i) {
        b.EvolveBgk();
    }
    EXPECT_EQ(b.Alpha(), 1.0f);
    EXPECT_EQ(b.Action(), bgk::FadeOut) << "back to the interrupted fade-out";
    const int pos = b.ScrollPos();
    for (int i = 0; i < 40000; ++i) {
        b.EvolveBgk();
    }
    EXPECT_EQ(b.Alpha(), 1.0f);
    EXPECT_EQ(b.ScrollPos(), pos) << "no scrolling until the next action";
    EXPECT_EQ(b.ActionStep(), -1) << "the countdown rests at -1 however long it waits";
    b.DoAction(bgk::ScrollUp);
    b.EvolveBgk();
    EXPECT_EQ(b.ScrollPos(), (pos + 2399) % 2400);
}

TEST(LandingImage, FifteenShrinkingFramesUnderTheWellAndARestartReplacesIt) {
    TestGame t;
    t.StartGame();
    modGrafica& s = t.form.Screens();
    s.Animb.AnimStart(4, 1, 5, 20);
    std::vector<double> scales;
    for (int i = 0; i < 16; ++i) {
        t.render.Clear(1, 0, 0, 0);
        t.render.BeginScene();
        s.Animb.AnimStep(t.form.Graphics(), t.g().PieceShapes);
        t.render.EndScene();
        const auto sprites = t.render.Sprites();
        if (!sprites.empty()) {
            ASSERT_EQ(sprites.size(), 4u) << "the square's four cells";
            EXPECT_EQ(sprites[0].translation, (Vec2{300 + 19 * 5 - 2 - 19, 64 + 19 * 20 - 2 - 38}));
            scales.push_back(sprites[0].scale.x);
        }
    }
    ASSERT_EQ(scales.size(), 15u);
    EXPECT_NEAR(scales.front(), 0.8442, 1e-4);
    EXPECT_NEAR(scales.back(), 0.2, 1e-6) << "the last frame is small, not gone";
    s.Animb.AnimStart(4, 1, 5, 20);
    t.render.Clear(1, 0, 0, 0);
    t.render.BeginScene();
    for (int i = 0; i < 5; ++i) {
        s.Animb.AnimStep(t.form.Graphics(), t.g().PieceShapes);
    }
    t.render.EndScene();
    s.Animb.AnimStart(7, 1, 2, 10);
    EXPECT_EQ(s.Animb.FramesLeft(), 15);
}

}  // namespace
}  // namespace dv::test
