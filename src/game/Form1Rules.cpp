// The rules of play: moving, rotating and locking the piece, clearing and
// scoring rows, the speed levels and the stack-height warning.
#include "game/Form1.h"

namespace dv {

std::int16_t Form1::CalcNextRot() const {
    const int next = game_.PieceRot + 1;
    return static_cast<std::int16_t>(next == 5 ? 1 : next);
}

bool Form1::Fits(int rot, int offsetX, int offsetY) const {
    const int piece = game_.CurPiece;
    if (piece < 1 || piece > 7 || rot < 1 || rot > 4) {
        return true;
    }
    for (int dx = 0; dx <= 3; ++dx) {
        for (int dy = 0; dy <= 3; ++dy) {
            if (game_.PieceShapes(piece, rot, dx, dy) != 1) {
                continue;
            }
            if (game_.Well(game_.PieceX + dx - 2 + offsetX, game_.PieceY + dy - 2 + offsetY) != 0) {
                return false;
            }
        }
    }
    return true;
}

bool Form1::CanMove(std::int16_t direction) const {
    switch (direction) {
    case 1: return Fits(game_.PieceRot, -1, 0);
    case 2: return Fits(game_.PieceRot, 1, 0);
    case 3: return Fits(game_.PieceRot, 0, 1);
    default: return true;
    }
}

bool Form1::CanRotate() const {
    return Fits(CalcNextRot(), 0, 0);
}

void Form1::MoveLeft() {
    if (CanMove(1)) {
        game_.PieceX = static_cast<std::int16_t>(game_.PieceX - 1);
    }
}

void Form1::MoveRight() {
    if (CanMove(2)) {
        game_.PieceX = static_cast<std::int16_t>(game_.PieceX + 1);
    }
}

void Form1::MoveDown() {
    if (CanMove(3)) {
        game_.PieceY = static_cast<std::int16_t>(game_.PieceY + 1);
    } else {
        LockPiece();
    }
}

void Form1::RotatePiece() {
    if (CanRotate()) {
        soundFx_.PlaySound(0);
        game_.PieceRot = CalcNextRot();
    }
}

void Form1::LockPiece() {
    soundFx_.PlaySound(1);
    game_.LockFreeze = 1;
    game_.LockCountdown = 30;
    screens_.Animb.AnimStart(game_.CurPiece, game_.PieceRot, game_.PieceX, game_.PieceY);
    screens_.Background.DoAction(bgk::Bump);
    for (int dx = 0; dx <= 3; ++dx) {
        for (int dy = 0; dy <= 3; ++dy) {
            if (game_.PieceShapes(game_.CurPiece, game_.PieceRot, dx, dy) == 1) {
                game_.Well(game_.PieceX + dx - 2, game_.PieceY + dy - 2) = game_.CurPiece;
            }
        }
    }
    game_.GameScore += 20;
    if (screens_.ScoreLabels) {
        screens_.ScoreLabels->InsertNewScore(20, static_cast<std::int16_t>(game_.PieceX * 17 + 300),
                                             static_cast<std::int16_t>(game_.PieceY * 17 + 64));
    }
    CheckLines();
    game_.CurPiece = game_.NextPiece;
    game_.NextPiece = game_.RandomPiece;
    game_.PieceX = 5;
    game_.PieceStats[static_cast<std::size_t>(game_.CurPiece)] += 1;
    game_.PieceY = 2;
    game_.PieceRot = 1;
    if (!CanMove(3)) {
        game_.GameState = state::GameOver;
        music_.MusicStop();
        soundFx_.PlaySound(4);
    }
}

void Form1::CheckLines() {
    int n = 0;
    std::array<std::int16_t, 5> rows{};
    for (int row = 0; row <= 25; ++row) {
        bool full = true;
        for (int col = 0; col <= 9 && full; ++col) {
            full = game_.Well(col, row) != 0;
        }
        // Four slots are all there is; a fifth full row waits for the next lock.
        if (!full || n == 4) {
            continue;
        }
        ++n;
        game_.ClearedRows[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(row);
        soundFx_.PlaySound(2);
        rows[static_cast<std::size_t>(n)] = static_cast<std::int16_t>(row);
    }
    if (n >= 1) {
        const int points = 100 * n * n;
        if (screens_.ScoreLabels) {
            screens_.ScoreLabels->InsertNewScore(static_cast<std::int16_t>(points), 385,
                                                 static_cast<std::int16_t>(rows[1] * 17 + 64));
        }
        screens_.Background.DoAction(bgk::Shake);
        if (n == 4) {
            soundFx_.PlaySound(6);
        }
        if (n == 3) {
            soundFx_.PlaySound(7);
        }
        screens_.SpawnDebris();
        RemoveLines(rows, n);
        game_.LinesCleared = static_cast<std::int16_t>(game_.LinesCleared + n);
        game_.GameScore += points;
    }
    UpdateLevel();
}

void Form1::RemoveLines(const std::array<std::int16_t, 5>& rows, int count) {
    for (int k = 1; k <= count; ++k) {
        for (int r = rows[static_cast<std::size_t>(k)]; r >= 1; --r) {
            for (int col = 0; col <= 9; ++col) {
                game_.Well(col, r) = game_.Well(col, r - 1);
            }
        }
        // Nothing lies above the top row: it comes in empty, so a full top
        // row is removed like any other and never doubled into row 1.
        for (int col = 0; col <= 9; ++col) {
            game_.Well(col, 0) = 0;
        }
    }
}

void Form1::UpdateLevel() {
    const int lines = game_.LinesCleared;
    if (lines == 0) {
        game_.FallInterval = 50;
    } else if (lines <= 9) {
        // level 0 holds until the tenth line
    } else if (lines <= 69) {
        SetLevel(static_cast<std::int16_t>(lines / 10));
    } else if (lines <= 79) {
        SetLevel(5);
    } else if (lines <= 85) {
        SetLevel(7);
    } else if (lines <= 129) {
        SetLevel(5);
    } else if (lines <= 135) {
        SetLevel(7);
    } else if (lines <= 180) {
        SetLevel(5);
    } else if (lines <= 200) {
        SetLevel(6);
    } else if (lines <= 220) {
        SetLevel(5);
    } else if (lines <= 230) {
        SetLevel(7);
    }
}

void Form1::SetLevel(std::int16_t level) {
    if (level == game_.Level) {
        return;
    }
    game_.Level = level;
    static constexpr std::int16_t intervals[] = {50, 25, 15, 8, 5, 4, 3, 2};
    if (level == 7) {
        soundFx_.PlaySound(5);
    }
    if (level >= 1 && level <= 7) {
        game_.FallInterval = intervals[level];
        screens_.Background.StepY = level >= 6 ? 3 : 1;
    }
}

std::uint8_t Form1::StackTop() const {
    std::uint8_t result = 25;
    for (int row = 25; row >= 0; --row) {
        for (int col = 0; col <= 9; ++col) {
            if (game_.Well(col, row) != 0) {
                result = static_cast<std::uint8_t>(row);
            }
        }
    }
    return result;
}

void Form1::StackWarningOn() {
    game_.StackWarning = 1;
    soundFx_.PlaySound(3);
}

void Form1::StackWarningOff() {
    game_.StackWarning = 0;
}

}  // namespace dv
