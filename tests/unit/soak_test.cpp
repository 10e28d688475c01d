// Long runs of random keys, mixed with the code player so games get deep,
// checking after every tick that nothing has left its bounds.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "Autoplayer.h"
#include "TestGame.h"

namespace dv::test {
namespace {

std::uint64_t SoakTicks() {
    if (const char* env = std::getenv("DV_SOAK_TICKS")) {
        return std::strtoull(env, nullptr, 10);
    }
    return DV_SOAK_DEFAULT_TICKS;
}

void CheckInvariants(TestGame& t, std::uint64_t tick) {
    const Module1& g = t.g();
    SCOPED_TRACE("tick " + std::to_string(tick));
    ASSERT_GE(g.GameState, 1);
    ASSERT_LE(g.GameState, 6);
    ASSERT_GE(g.TickCount, 0);
    ASSERT_LE(g.TickCount, 999);
    ASSERT_TRUE(g.LockFreeze == 0 || g.LockFreeze == 1);
    ASSERT_GE(g.LockCountdown, 0);
    ASSERT_LE(g.LockCountdown, 30);
    ASSERT_GE(g.Level, 0);
    ASSERT_LE(g.Level, 7);
    ASSERT_GE(g.LinesCleared, 0);
    ASSERT_GE(g.GameScore, 0);
    const int interval = g.FallInterval;
    ASSERT_TRUE(interval == 50 || interval == 25 || interval == 15 || interval == 8 || interval == 5 ||
                interval == 4 || interval == 3 || interval == 2)
        << interval;
    for (int i = 1; i <= 4; ++i) {
        ASSERT_EQ(g.ClearedRows[static_cast<std::size_t>(i)], -1);
    }
    for (int row = 0; row <= 28; ++row) {
        for (int col = -3; col <= 12; ++col) {
            const int cell = g.Well(col, row);
            const bool field = col >= 0 && col <= 9 && row <= 25;
            if (field) {
                ASSERT_TRUE(cell >= 0 && cell <= 7) << col << "," << row;
            } else if (!(row == 28 && (col == -3 || col == 12))) {
                ASSERT_EQ(cell, 255) << col << "," << row;
            }
        }
    }
    if (g.CurPiece != -1) {
        ASSERT_GE(g.CurPiece, 1);
        ASSERT_LE(g.CurPiece, 7);
        ASSERT_GE(g.NextPiece, 1);
        ASSERT_LE(g.NextPiece, 7);
        ASSERT_GE(g.PieceRot, 1);
        ASSERT_LE(g.PieceRot, 4);
        for (int dx = 0; dx < 4; ++dx) {
            for (int dy = 0; dy < 4; ++dy) {
                if (g.PieceShapes(g.CurPiece, g.PieceRot, dx, dy) == 1) {
                    const int col = g.PieceX + dx - 2;
                    const int row = g.PieceY + dy - 2;
                    ASSERT_TRUE(col >= 0 && col <= 9 && row >= 0 && row <= 25) << "piece block at " << col << "," << row;
                }
            }
        }
    }
    const clsScroolBGK2& b = t.form.Screens().Background;
    ASSERT_GE(b.ScrollPos(), 0);
    ASSERT_LE(b.ScrollPos(), 2399);
    ASSERT_GE(b.ActionStep(), -1);
    for (const DebrisCell& c : t.form.Screens().Debris) {
        if (c.Active != 0) {
            ASSERT_TRUE(c.Tex >= 1 && c.Tex <= 7);
        }
    }
    ASSERT_LT(t.form.Screens().ScoreLabels->ScoreTop(), 200) << "labels land; the table stays small";
}

TEST(Soak, RandomKeysAndTheCodePlayerNeverBreakTheGame) {
    const std::uint64_t ticks = SoakTicks();
    std::mt19937 rng(20261207);
    const int keys[] = {dik::Left, dik::Right, dik::Down, dik::Space, dik::P, dik::Escape, dik::S, dik::M, dik::N};
    auto game = std::make_unique<TestGame>();
    auto player = std::make_unique<Autoplayer>(game->g());
    int restarts = 0;
    int maxLines = 0;
    for (std::uint64_t tick = 1; tick <= ticks; ++tick) {
        if (game->form.EndStatus()) {
            ASSERT_EQ(*game->form.EndStatus(), 0);
            game = std::make_unique<TestGame>();
            player = std::make_unique<Autoplayer>(game->g());
            ++restarts;
        }
        // Stretches of clean play take turns with stretches of random keys,
        // so both deep games and every odd key combination get their share.
        const KeyboardState planned = player->NextKeys();
        game->keys.ReleaseAll();
        if ((tick / 5000) % 2 == 0) {
            for (std::size_t code = 0; code < planned.size(); ++code) {
                if (planned[code] != 0) {
                    game->keys.Set(static_cast<int>(code), true);
                }
            }
        } else {
            for (int k : keys) {
                if (rng() % 100 < 8) {
                    game->keys.Set(k, true);
                }
            }
        }
        game->Tick();
        maxLines = std::max(maxLines, static_cast<int>(game->g().LinesCleared));
        CheckInvariants(*game, tick);
        if (HasFatalFailure()) {
            return;
        }
    }
    RecordProperty("restarts", restarts);
    EXPECT_GT(maxLines, 20) << "the code player got games deep enough to matter";
}

}  // namespace
}  // namespace dv::test
