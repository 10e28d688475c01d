#include "platform/headless/ScriptedKeyboard.h"

namespace dv {

void ScriptedKeyboard::GetDeviceStateKeyboard(KeyboardState& state) {
    ++reads_;
    state = keys_;
}

void ScriptedKeyboard::SetTick(std::uint64_t tick) {
    while (next_ < script_.lines.size() && script_.lines[next_].tick <= tick) {
        keys_.fill(0);
        for (std::uint8_t code : script_.lines[next_].codes) {
            keys_[code] = 0x80;
        }
        ++next_;
    }
}

}  // namespace dv
