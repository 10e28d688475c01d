#pragma once
// A keyboard whose keys come from a script or from a test, never from a
// person. The owner tells it which tick is being read.
#include <cstdint>

#include "platform/Keyboard.h"
#include "platform/headless/KeyScript.h"

namespace dv {

class ScriptedKeyboard final : public IKeyboardDevice {
public:
    ScriptedKeyboard() = default;
    explicit ScriptedKeyboard(KeyScript script) : script_(std::move(script)) {}

    void Acquire() override { ++acquired_; }
    void GetDeviceStateKeyboard(KeyboardState& state) override;

    // Scripted use: the tick the next read belongs to (ticks count from 1).
    void SetTick(std::uint64_t tick);
    // Direct use by tests: keys stay as set until changed.
    void Set(int code, bool down) { keys_[static_cast<std::size_t>(code & 0xFF)] = down ? 0x80 : 0; }
    void ReleaseAll() { keys_.fill(0); }

    int Acquired() const { return acquired_; }
    std::uint64_t Reads() const { return reads_; }

private:
    KeyScript script_;
    std::size_t next_ = 0;
    KeyboardState keys_{};
    int acquired_ = 0;
    std::uint64_t reads_ = 0;
};

}  // namespace dv
