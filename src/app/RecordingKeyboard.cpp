#include "app/RecordingKeyboard.h"

#include "platform/Error.h"
#include "platform/headless/KeyScript.h"

namespace dv {

RecordingKeyboard::RecordingKeyboard(IKeyboardDevice& inner, const std::filesystem::path& file)
    : inner_(inner), out_(file, std::ios::binary | std::ios::trunc) {
    if (!out_) {
        throw Error(err::PathFileAccessError, "Impossibile scrivere " + file.string());
    }
    out_ << "# Dravo Vantle! keys: TICK CODE CODE ...\n";
}

void RecordingKeyboard::GetDeviceStateKeyboard(KeyboardState& state) {
    inner_.GetDeviceStateKeyboard(state);
    KeyboardState down{};
    for (std::size_t i = 0; i < state.size(); ++i) {
        down[i] = state[i] != 0 ? 0x80 : 0;
    }
    // A replay starts with no key down, so only a change needs a line.
    if (down != last_) {
        out_ << FormatKeyScriptLine(tick_, down) << '\n';
        out_.flush();
        last_ = down;
    }
}

}  // namespace dv
