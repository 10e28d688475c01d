#include "input/modDirectInput.h"

#include <limits>

namespace dv {

void modDirectInput::HoldCount(int key) {
    std::int16_t& counter = KeyCounter[static_cast<std::size_t>(key & 0xFF)];
    if (Down(key)) {
        if (counter < std::numeric_limits<std::int16_t>::max()) {
            counter = static_cast<std::int16_t>(counter + 1);
        }
    } else {
        counter = 0;
    }
}

void modDirectInput::ReleaseLatch(int key) {
    std::int16_t& counter = KeyCounter[static_cast<std::size_t>(key & 0xFF)];
    if (!Down(key) && counter == -1) {
        counter = 1;
    }
    if (Down(key)) {
        counter = -1;
    }
}

bool modDirectInput::TakeLatch(int key) {
    std::int16_t& counter = KeyCounter[static_cast<std::size_t>(key & 0xFF)];
    if (counter != 1) {
        return false;
    }
    counter = 0;
    return true;
}

}  // namespace dv
