#pragma once
// The game's shared tables and variables: the piece shapes, the well, the key
// bindings, the counters every other module reads, and the random stream.
// One instance is owned by the game root and handed down by reference.
#include <array>
#include <cstdint>

#include "game/Random.h"

namespace dv {

inline constexpr std::int16_t True16 = -1;
inline constexpr std::int16_t False16 = 0;

// Piece 1..7, rotation 1..4, box column dx 0..3, box row dy 0..3.
class PieceShapeTable {
public:
    std::int16_t& operator()(int piece, int rot, int dx, int dy) { return cells_[Index(piece, rot, dx, dy)]; }
    std::int16_t operator()(int piece, int rot, int dx, int dy) const { return cells_[Index(piece, rot, dx, dy)]; }

private:
    static std::size_t Index(int piece, int rot, int dx, int dy) {
        return static_cast<std::size_t>(((piece * 5 + rot) * 4 + dx) * 4 + dy);
    }
    std::array<std::int16_t, 8 * 5 * 4 * 4> cells_{};
};

// Columns -3..12 by rows 0..28; the playfield is columns 0..9, rows 0..25.
class WellGrid {
public:
    static constexpr int MinCol = -3;
    static constexpr int MaxCol = 12;
    static constexpr int Rows = 29;
    static constexpr int Cols = MaxCol - MinCol + 1;

    std::int16_t& operator()(int col, int row) { return cells_[Index(col, row)]; }
    std::int16_t operator()(int col, int row) const { return cells_[Index(col, row)]; }

private:
    static std::size_t Index(int col, int row) { return static_cast<std::size_t>(row * Cols + (col - MinCol)); }
    std::array<std::int16_t, Cols * Rows> cells_{};
};

struct KeyBindings {
    std::int16_t KeyLeft = 0;
    std::int16_t KeyRight = 0;
    std::int16_t KeyDown = 0;
    std::int16_t KeyRotate = 0;
    std::int16_t KeyPause = 0;
    std::int16_t KeyStart = 0;
    std::int16_t KeyEscape = 0;
    std::int16_t KeySound = 0;
    std::int16_t KeyMusic = 0;
};

namespace state {
inline constexpr std::int16_t Play = 1;
inline constexpr std::int16_t Pause = 2;
inline constexpr std::int16_t Intro = 3;
inline constexpr std::int16_t GameOver = 4;
inline constexpr std::int16_t ConfirmEnd = 5;
inline constexpr std::int16_t ConfirmQuit = 6;
}  // namespace state

struct Module1 {
    PieceShapeTable PieceShapes;
    WellGrid Well;
    KeyBindings Keys;

    std::int16_t CurPiece = -1;
    std::int16_t NextPiece = -1;
    std::int16_t PieceX = 5;
    std::int16_t PieceY = 2;
    std::int16_t PieceRot = 1;
    std::array<std::int16_t, 8> PieceStats{};
    std::int16_t LinesCleared = 0;
    std::int32_t GameScore = 0;
    std::int16_t Level = 0;
    std::int16_t GameState = 0;
    std::int16_t StackWarning = 0;
    std::int32_t LockFreeze = 0;
    std::int16_t LockCountdown = 0;
    std::int16_t FallInterval = 0;
    std::int16_t TickCount = 0;
    std::int16_t RandomPiece = 0;
    std::int16_t SavedState = 0;

    // Slots 1..4 name the rows of the latest clear; -1 is a free slot.
    std::array<std::int16_t, 5> ClearedRows{};

    RandomStream Rnd;

    void InitWell();
    void InitKeys();
    // Every reset value except FallInterval, which the level rules set.
    void ResetGameVariables();
    // A piece number 1..7 from the shared stream: 1 and 7 come half as often.
    std::int16_t DrawPiece();
};

}  // namespace dv
