#include "game/Module1.h"

#include "platform/Keyboard.h"

namespace dv {

void Module1::InitWell() {
    for (int row = 0; row <= 27; ++row) {
        for (int col = -2; col <= 11; ++col) {
            Well(col, row) = 0;
        }
    }
    for (int row = 0; row <= 27; ++row) {
        for (int col : {-3, -2, -1, 10, 11, 12}) {
            Well(col, row) = 255;
        }
    }
    for (int col = -2; col <= 11; ++col) {
        for (int row = 26; row <= 28; ++row) {
            Well(col, row) = 255;
        }
    }
}

void Module1::InitKeys() {
    Keys.KeyLeft = dik::Left;
    Keys.KeyRight = dik::Right;
    Keys.KeyDown = dik::Down;
    Keys.KeyRotate = dik::Space;
    Keys.KeyPause = dik::P;
    Keys.KeyStart = dik::Space;
    Keys.KeyEscape = dik::Escape;
    Keys.KeySound = dik::S;
    Keys.KeyMusic = dik::M;
}

void Module1::ResetGameVariables() {
    CurPiece = -1;
    NextPiece = -1;
    PieceStats.fill(0);
    PieceY = 2;
    PieceX = 5;
    PieceRot = 1;
    LinesCleared = 0;
    GameScore = 0;
    Level = 0;
    GameState = state::Intro;
    StackWarning = 0;
    LockFreeze = 0;
    LockCountdown = 0;
}

std::int16_t Module1::DrawPiece() {
    return static_cast<std::int16_t>(RoundHalfEven(Rnd.Next() * 6.0 + 1.0));
}

}  // namespace dv
