// Gravity, the keys' timings, locking, clearing, scoring and levels.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestGame.h"

namespace dv::test {
namespace {

constexpr std::int16_t Square = 4;
constexpr std::int16_t Bar = 5;

// A started game whose falling piece is the square, so its cells are known:
// box columns 1..2, rows 0..1, that is well columns PieceX-1..PieceX.
TestGame& Started(TestGame& t) {
    t.StartGame();
    t.g().CurPiece = Square;
    return t;
}

TEST(Gravity, FallsWhenTheTickCountIsAMultipleOfTheIntervalAndWrapsAt1000) {
    TestGame t;
    Started(t);
    t.TickUntilCount(49);
    EXPECT_EQ(t.g().PieceY, 2);
    t.Tick();
    EXPECT_EQ(t.g().PieceY, 3) << "falls on TickCount 50";
    t.TickUntilCount(99);
    EXPECT_EQ(t.g().PieceY, 3);
    t.Tick();
    EXPECT_EQ(t.g().PieceY, 4);

    // An interval that does not divide 1000 gives one short gap at the wrap.
    t.g().FallInterval = 15;
    t.g().TickCount = 985;
    t.g().PieceY = 5;
    t.Tick(5);
    EXPECT_EQ(t.g().PieceY, 6) << "falls at 990";
    t.Tick(9);
    EXPECT_EQ(t.g().TickCount, 999);
    EXPECT_EQ(t.g().PieceY, 6);
    t.Tick();
    EXPECT_EQ(t.g().TickCount, 0) << "TickCount never holds 1000";
    EXPECT_EQ(t.g().PieceY, 7) << "and falls again at 0, ten ticks later";
}

TEST(Gravity, APieceFallsUntilItsLowestBlockRestsOnRow25ThenLocks) {
    TestGame t;
    Started(t);
    for (int i = 0; i < 30 && t.g().GameScore == 0; ++i) {
        t.form.MoveDown();
    }
    EXPECT_EQ(t.g().Well(4, 25), Square);
    EXPECT_EQ(t.g().Well(5, 24), Square);
    EXPECT_EQ(t.g().Well(4, 23), 0);
    EXPECT_EQ(t.g().GameScore, 20) << "a lock scores 20 without any line";
    EXPECT_EQ(t.g().LockFreeze, 1);
    EXPECT_EQ(t.g().LockCountdown, 30);
    EXPECT_EQ(t.g().PieceY, 2);
    EXPECT_EQ(t.g().PieceX, 5);
    EXPECT_EQ(t.g().PieceRot, 1);
    ASSERT_FALSE(t.Played().empty());
    EXPECT_EQ(t.Played().back(), "Drum.wav");
}

TEST(Lock, TheNextPieceIsTheNumberDrawnOnTheTickOfTheLock) {
    TestGame t;
    Started(t);
    const std::int16_t next = t.g().NextPiece;
    const std::int16_t counted = t.g().PieceStats[static_cast<std::size_t>(next)];
    t.g().PieceY = 26;  // resting on the floor: the next gravity step locks it
    t.TickUntilCount(50);
    EXPECT_EQ(t.g().CurPiece, next);
    EXPECT_EQ(t.g().NextPiece, t.g().RandomPiece);
    EXPECT_EQ(t.g().PieceStats[static_cast<std::size_t>(next)], counted + 1);
    // Gravity is held for 30 ticks; sideways moves still work.
    t.g().FallInterval = 1;
    t.Tick(28);
    EXPECT_EQ(t.g().PieceY, 2);
    t.Press(dik::Left);
    t.Tick();
    EXPECT_EQ(t.g().PieceX, 4);
    EXPECT_EQ(t.g().PieceY, 2);
    t.Tick();
    EXPECT_EQ(t.g().LockFreeze, 0) << "the freeze ran out on the 30th tick";
    EXPECT_EQ(t.g().PieceY, 3);
}

TEST(Keys, ArrowsMoveOnThePressThenRepeatEveryTickFromCount16) {
    TestGame t;
    Started(t);
    t.Press(dik::Left);
    std::vector<int> xs;
    for (int i = 0; i < 20; ++i) {
        t.Tick();
        xs.push_back(t.g().PieceX);
    }
    // Press moves at once, then from the 16th read on every tick, until the wall.
    EXPECT_EQ(xs[0], 4);
    EXPECT_EQ(xs[14], 4);
    EXPECT_EQ(xs[15], 3);
    EXPECT_EQ(xs[16], 2);
    EXPECT_EQ(xs[17], 1);
    EXPECT_EQ(xs[18], 1) << "the wall stops it";
    t.Release(dik::Left);

    // Left and right together: both fire on the press, so the piece stays.
    t.Tick();
    t.g().PieceX = 5;
    t.Press(dik::Left);
    t.Press(dik::Right);
    t.Tick();
    EXPECT_EQ(t.g().PieceX, 5);
}

TEST(Keys, DownRepeatsFromCount21AndWaitsOutTheLockFreeze) {
    TestGame t;
    Started(t);
    t.g().FallInterval = 1000;  // keep gravity out of the way
    t.Press(dik::Down);
    t.Tick();
    EXPECT_EQ(t.g().PieceY, 3);
    t.Tick(19);
    EXPECT_EQ(t.g().PieceY, 3);
    t.Tick();
    EXPECT_EQ(t.g().PieceY, 4) << "count 21";
    while (t.g().LockFreeze == 0) {
        t.Tick();
    }
    // Frozen for 30 ticks, the count keeps rising; then one row per tick.
    int frozenTicks = 0;
    while (t.g().LockFreeze == 1) {
        EXPECT_EQ(t.g().PieceY, 2);
        t.g().FallInterval = 1000;  // the lock set it back to 50
        t.Tick();
        ++frozenTicks;
    }
    EXPECT_EQ(frozenTicks, 30);
    EXPECT_EQ(t.g().PieceY, 3) << "the tick the freeze ends already moves";
    t.Tick();
    EXPECT_EQ(t.g().PieceY, 4);
}

TEST(Keys, HeldForeverAnArrowKeepsRepeatingInsteadOfOverflowing) {
    TestGame t;
    Started(t);
    t.g().FallInterval = 1000;
    t.form.Input().KeyCounter[dik::Right] = 32765;
    t.Press(dik::Right);
    t.Tick(3);
    EXPECT_EQ(t.form.Input().KeyCounter[dik::Right], 32767);
    EXPECT_EQ(t.g().PieceX, 8) << "moved on each of the three ticks";
}

// Ticks until the next tick's TickCount would be a multiple of 4 plus `phase`.
void AlignTo(TestGame& t, int phase) {
    while ((t.g().TickCount + 1) % 4 != phase) {
        t.Tick();
    }
}

TEST(Keys, ASpaceReleaseRotatesOnTheNextTickThatIsAMultipleOf4) {
    TestGame t;
    Started(t);
    t.g().CurPiece = 7;
    t.g().FallInterval = 1000;
    AlignTo(t, 1);
    t.Press(dik::Space);
    t.Tick();  // count = 1 mod 4
    t.Release(dik::Space);
    t.Tick();  // 2: the release is latched
    EXPECT_EQ(t.g().PieceRot, 1);
    t.Tick();  // 3
    EXPECT_EQ(t.g().PieceRot, 1);
    t.Tick();  // 0
    EXPECT_EQ(t.g().PieceRot, 2);
    EXPECT_EQ(t.Played().back(), "DOING.WAV");

    // Pressing again while the rotation waits cancels it: one rotation in all.
    AlignTo(t, 1);
    t.Press(dik::Space);
    t.Tick();  // 1
    t.Release(dik::Space);
    t.Tick();  // 2: latched
    t.Press(dik::Space);
    t.Tick();  // 3: pending release lost
    t.Release(dik::Space);
    t.Tick();  // 0: latched and acted on at once
    EXPECT_EQ(t.g().PieceRot, 3);
    t.Tick(8);
    EXPECT_EQ(t.g().PieceRot, 3);
}

TEST(Keys, RotationAndMovesAreRefusedWhereTheyWouldOverlap) {
    TestGame t;
    Started(t);
    t.g().CurPiece = Bar;  // horizontal in box row 1: well row 1, columns 3..6
    t.g().Well(5, 2) = 1;  // the vertical bar would pass through here
    const std::size_t sounds = t.Played().size();
    t.form.RotatePiece();
    EXPECT_EQ(t.g().PieceRot, 1);
    EXPECT_EQ(t.Played().size(), sounds) << "a blocked rotation is silent";
    t.g().PieceX = 2;  // columns 0..3: against the left wall
    t.form.MoveLeft();
    EXPECT_EQ(t.g().PieceX, 2);
    EXPECT_EQ(t.Played().size(), sounds);
}

TEST(Keys, EscapeAndPauseReleasedTogetherAskToEndAndConsumeThePause) {
    TestGame t;
    Started(t);
    t.Press(dik::Escape);
    t.Press(dik::P);
    t.Tick();
    t.Release(dik::Escape);
    t.Release(dik::P);
    t.Tick();
    EXPECT_EQ(t.g().GameState, state::ConfirmEnd);
    EXPECT_EQ(t.form.Input().KeyCounter[dik::P], 0);
}

TEST(Keys, SoundAndMusicSwitchesWorkOnlyInPlay) {
    TestGame t;
    t.Tap(dik::S);
    t.Tap(dik::M);
    EXPECT_NE(t.form.SoundFx().PlaySnd(), 0);
    EXPECT_EQ(t.form.Music().MusicOn, 0);
    Started(t);
    t.Tap(dik::S);
    EXPECT_EQ(t.form.SoundFx().PlaySnd(), 0);
    t.sound.ClearEvents();
    t.form.RotatePiece();
    t.g().PieceY = 20;
    t.form.LockPiece();
    EXPECT_TRUE(t.sound.Events().empty()) << "sound effects off";
    EXPECT_EQ(t.form.SoundFx().Requests()[1], 1u) << "the request is still counted";
    t.Tap(dik::S);
    EXPECT_NE(t.form.SoundFx().PlaySnd(), 0);
}

void FillBottomRows(TestGame& t, int n) {
    for (int row = 26 - n; row <= 25; ++row) {
        t.FillRow(row, static_cast<std::int16_t>(1 + row % 7));
    }
}

TEST(Lines, EachClearSizeScoresSoundsAndDropsTheRowsAbove) {
    const char* extra[] = {nullptr, nullptr, nullptr, "good.wav", "GREAT_B.WAV"};
    for (int n = 1; n <= 4; ++n) {
        TestGame t;
        Started(t);
        t.g().PieceY = 10;  // rows 8..9
        FillBottomRows(t, n);
        t.sound.ClearEvents();
        t.form.LockPiece();
        EXPECT_EQ(t.g().LinesCleared, n);
        EXPECT_EQ(t.g().GameScore, 20 + 100 * n * n);
        std::vector<std::string> expected{"Drum.wav"};
        expected.insert(expected.end(), static_cast<std::size_t>(n), "BLAST2.WAV");
        if (extra[n] != nullptr) {
            expected.push_back(extra[n]);
        }
        EXPECT_EQ(t.Played(), expected) << n << " rows";
        // The square locked in rows 8..9 has dropped by n rows.
        EXPECT_EQ(t.g().Well(4, 8 + n), Square);
        EXPECT_EQ(t.g().Well(5, 9 + n), Square);
        EXPECT_EQ(t.g().Well(4, 8), 0);
        for (int row = n + 10; row <= 25; ++row) {
            for (int col = 0; col <= 9; ++col) {
                ASSERT_EQ(t.g().Well(col, row), 0) << "row " << row;
            }
        }
        for (int i = 1; i <= 4; ++i) {
            EXPECT_EQ(t.g().ClearedRows[static_cast<std::size_t>(i)], -1) << "the bursting cells free the slots";
        }
        EXPECT_EQ(t.form.Screens().Background.Action(), bgk::Shake);
    }
}

TEST(Lines, RowsBetweenClearedRowsDropByTheRowsRemovedBelowThem) {
    TestGame t;
    Started(t);
    t.g().PieceY = 10;  // lock the square out of the way, rows 8..9
    t.g().Well(0, 19) = 6;
    t.FillRow(20, 1);
    t.g().Well(0, 21) = 2;
    t.g().Well(1, 22) = 3;
    t.FillRow(23, 1);
    t.g().Well(2, 24) = 5;
    t.form.LockPiece();
    EXPECT_EQ(t.g().LinesCleared, 2);
    EXPECT_EQ(t.g().Well(0, 21), 6) << "two removed rows below";
    EXPECT_EQ(t.g().Well(0, 22), 2) << "one removed row below";
    EXPECT_EQ(t.g().Well(1, 23), 3);
    EXPECT_EQ(t.g().Well(2, 24), 5) << "below both: unmoved";
    EXPECT_EQ(t.g().Well(4, 10), Square);
}

TEST(Lines, AFullTopRowIsRemovedOnceAndNeverDoubled) {
    TestGame t;
    Started(t);
    t.g().PieceY = 20;
    t.FillRow(0, 7);
    t.form.LockPiece();
    EXPECT_EQ(t.g().LinesCleared, 1);
    for (int col = 0; col <= 9; ++col) {
        EXPECT_EQ(t.g().Well(col, 0), 0);
        EXPECT_EQ(t.g().Well(col, 1), 0) << "row 0 is not copied into row 1";
    }
    EXPECT_EQ(t.g().Well(4, 18), Square) << "rows below the removed top row stay";
    t.g().PieceY = 10;
    t.form.LockPiece();
    EXPECT_EQ(t.g().LinesCleared, 1) << "not found again";
    EXPECT_EQ(t.g().GameScore, 20 + 100 + 20);
}

TEST(Lines, NeverMoreThanFourRowsAtOnce) {
    TestGame t;
    Started(t);
    t.g().PieceY = 10;
    t.FillRow(0, 2);
    for (int row = 22; row <= 25; ++row) {
        t.FillRow(row, 3);
    }
    t.form.LockPiece();
    EXPECT_EQ(t.g().LinesCleared, 4);
    EXPECT_EQ(t.g().GameScore, 20 + 1600);
    for (int col = 0; col <= 9; ++col) {
        EXPECT_EQ(t.g().Well(col, 25), 3) << "the fifth full row waits";
    }
    t.g().CurPiece = Square;
    t.g().PieceY = 10;
    t.form.LockPiece();
    EXPECT_EQ(t.g().LinesCleared, 5);
}

TEST(Levels, FollowTheBandsWithBurstsToSevenAndFallBacksToFive) {
    TestGame t;
    Started(t);
    std::vector<int> levelAt(251);
    std::vector<int> enteredSeven;
    for (int lines = 1; lines <= 250; ++lines) {
        const std::uint32_t before = t.form.SoundFx().Requests()[5];
        t.g().LinesCleared = static_cast<std::int16_t>(lines);
        t.form.UpdateLevel();
        levelAt[static_cast<std::size_t>(lines)] = t.g().Level;
        if (t.form.SoundFx().Requests()[5] != before) {
            enteredSeven.push_back(lines);
        }
        const int intervals[] = {50, 25, 15, 8, 5, 4, 3, 2};
        EXPECT_EQ(t.g().FallInterval, intervals[t.g().Level]) << lines << " lines";
        EXPECT_EQ(t.form.Screens().Background.StepY, t.g().Level >= 6 ? 3 : 1) << lines << " lines";
    }
    EXPECT_EQ(levelAt[9], 0);
    EXPECT_EQ(levelAt[10], 1);
    EXPECT_EQ(levelAt[29], 2);
    EXPECT_EQ(levelAt[45], 4);
    EXPECT_EQ(levelAt[69], 6);
    EXPECT_EQ(levelAt[70], 5);
    EXPECT_EQ(levelAt[80], 7);
    EXPECT_EQ(levelAt[86], 5);
    EXPECT_EQ(levelAt[135], 7);
    EXPECT_EQ(levelAt[136], 5);
    EXPECT_EQ(levelAt[181], 6);
    EXPECT_EQ(levelAt[201], 5);
    EXPECT_EQ(levelAt[230], 7);
    EXPECT_EQ(levelAt[250], 7) << "the last level stays";
    EXPECT_EQ(enteredSeven, (std::vector<int>{80, 130, 221}));

    // A clear that crosses a band applies the band reached.
    t.g().LinesCleared = 84;
    t.form.UpdateLevel();
    t.g().LinesCleared = 88;
    t.form.UpdateLevel();
    EXPECT_EQ(t.g().Level, 5);
    // Back to no lines: the fall resets to 50 while the level stays.
    t.g().LinesCleared = 0;
    t.form.UpdateLevel();
    EXPECT_EQ(t.g().FallInterval, 50);
    EXPECT_EQ(t.g().Level, 5);
}

TEST(Levels, FourLinesAtEightTakeTheGameToLevelOneAtOnce) {
    TestGame t;
    Started(t);
    t.g().LinesCleared = 8;
    FillBottomRows(t, 4);
    t.form.LockPiece();
    EXPECT_EQ(t.g().LinesCleared, 12);
    EXPECT_EQ(t.g().Level, 1);
    EXPECT_EQ(t.g().FallInterval, 25);
}

TEST(StackWarning, ComesOnAt9GoesOffAt14AndHoldsBetween) {
    TestGame t;
    Started(t);
    t.g().FallInterval = 1000;
    auto klaxons = [&] {
        const auto played = t.Played();
        return std::count(played.begin(), played.end(), std::string("klaxon2.wav"));
    };
    t.g().Well(0, 10) = 1;
    t.Tick();
    EXPECT_EQ(t.g().StackWarning, 0);
    t.g().Well(0, 9) = 1;
    t.Tick(3);
    EXPECT_EQ(t.g().StackWarning, 1);
    EXPECT_EQ(klaxons(), 1) << "sounds once, as it comes on";
    t.g().Well(0, 9) = 0;
    t.g().Well(0, 10) = 0;
    t.g().Well(0, 13) = 1;
    t.Tick();
    EXPECT_EQ(t.g().StackWarning, 1) << "13 keeps it on";
    t.g().Well(0, 13) = 0;
    t.g().Well(0, 14) = 1;
    t.Tick();
    EXPECT_EQ(t.g().StackWarning, 0);
    t.g().Well(0, 12) = 1;
    t.Tick();
    EXPECT_EQ(t.g().StackWarning, 0) << "12 keeps it off";
    EXPECT_EQ(t.form.StackTop(), 12);
    t.ClearWell();
    EXPECT_EQ(t.form.StackTop(), 25);
}

}  // namespace
}  // namespace dv::test
