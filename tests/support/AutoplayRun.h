#pragma once
// Drives a game with the code player, tick by tick, writing the keys it
// pressed in the replay format. Scripted interruptions (pause, the end-game
// question) can be mixed in at chosen line counts.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "game/Form1.h"
#include "platform/headless/ScriptedKeyboard.h"

namespace dv::test {

struct Interruption {
    int atLines = 0;  // once this many lines are cleared, in play
    // (code, ticks held) in turn; code -1 holds nothing for that long.
    std::vector<std::pair<int, int>> steps;
};

struct AutoplayResult {
    std::uint64_t ticks = 0;
    std::string replay;  // the keys, in the replay format
};

// Plays until `stop` says so (it sees the game after every tick) or until
// `maxTicks`; `noise` may add keys to each tick (it gets the tick number).
AutoplayResult Autoplay(Form1& form, ScriptedKeyboard& keyboard, std::uint64_t maxTicks,
                        const std::function<bool(const Module1&)>& stop,
                        std::vector<Interruption> interruptions = {},
                        const std::function<void(std::uint64_t, KeyboardState&)>& noise = {});

}  // namespace dv::test
