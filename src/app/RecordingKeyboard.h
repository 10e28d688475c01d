#pragma once
// Writes the keys of a run in the replay format while passing every read
// through: a line at each tick where the set of down keys changed.
#include <cstdint>
#include <fstream>
#include <filesystem>

#include "platform/Keyboard.h"

namespace dv {

class RecordingKeyboard final : public IKeyboardDevice {
public:
    // Throws dv::Error when the file cannot be created.
    RecordingKeyboard(IKeyboardDevice& inner, const std::filesystem::path& file);

    void SetTick(std::uint64_t tick) { tick_ = tick; }
    void Acquire() override { inner_.Acquire(); }
    void GetDeviceStateKeyboard(KeyboardState& state) override;

private:
    IKeyboardDevice& inner_;
    std::ofstream out_;
    std::uint64_t tick_ = 0;
    KeyboardState last_{};
};

}  // namespace dv
