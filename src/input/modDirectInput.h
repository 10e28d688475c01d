#pragma once
// The keyboard read once per tick, and the per-key counters that turn held
// keys into repeats and released keys into single actions.
#include <array>
#include <cstdint>

#include "platform/Keyboard.h"

namespace dv {

class modDirectInput {
public:
    explicit modDirectInput(IKeyboardDevice& device) : keyboardDevice_(device) {}

    void InitKeyboard() { keyboardDevice_.Acquire(); }
    void ReadKeyboard() { keyboardDevice_.GetDeviceStateKeyboard(KeyState); }

    // Hold counting: the number of consecutive reads that found the key down,
    // stopping at the largest count so a key held for hours keeps repeating.
    void HoldCount(int key);
    // Release latching: -1 while down, 1 once released and not yet acted on.
    void ReleaseLatch(int key);
    // Consumes a pending release: true (and the latch back to 0) when it was 1.
    bool TakeLatch(int key);

    bool Down(int key) const { return KeyState[static_cast<std::size_t>(key & 0xFF)] != 0; }
    std::int16_t Count(int key) const { return KeyCounter[static_cast<std::size_t>(key & 0xFF)]; }

    KeyboardState KeyState{};
    std::array<std::int16_t, 256> KeyCounter{};

private:
    IKeyboardDevice& keyboardDevice_;
};

}  // namespace dv
