#pragma once
// A player made of code: it looks at the well and the falling piece, picks a
// placement, and answers with the keys to hold on the next tick, with the
// game's real timings. It never changes the game; it only presses keys.
#include <cstdint>

#include "game/Module1.h"
#include "platform/Keyboard.h"

namespace dv::test {

class Autoplayer {
public:
    explicit Autoplayer(const Module1& game) : game_(game) {}

    // The keys to hold during the coming tick.
    KeyboardState NextKeys();

private:
    struct Plan {
        int rot = 1;
        int x = 5;
    };
    Plan Choose() const;
    bool Fits(const WellGrid& well, int rot, int x, int y) const;

    const Module1& game_;
    int lastPieces_ = -1;
    Plan plan_;
    bool planned_ = false;
    int spaceTicks_ = 0;  // >0 while a rotation press/release is under way
    int rotAtPress_ = 0;
    bool tapPhase_ = false;
    bool startPressed_ = false;
    int settle_ = 0;
};

}  // namespace dv::test
