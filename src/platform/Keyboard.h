#pragma once
// The keyboard device: 256 bytes indexed by DirectInput key codes (DIK
// numbering), nonzero for a key that is down. Polled once per tick.
#include <array>
#include <cstdint>

namespace dv {

using KeyboardState = std::array<std::uint8_t, 256>;

// The DIK codes the game reads.
namespace dik {
inline constexpr int Escape = 1;
inline constexpr int P = 25;
inline constexpr int S = 31;
inline constexpr int N = 49;
inline constexpr int M = 50;
inline constexpr int Space = 57;
inline constexpr int Up = 200;
inline constexpr int Left = 203;
inline constexpr int Right = 205;
inline constexpr int Down = 208;
}  // namespace dik

class IKeyboardDevice {
public:
    virtual ~IKeyboardDevice() = default;
    // Opens and acquires the system keyboard; throws dv::Error on failure.
    virtual void Acquire() = 0;
    // Overwrites all 256 entries: 0x80 for a key that is down, 0 otherwise.
    virtual void GetDeviceStateKeyboard(KeyboardState& state) = 0;
};

}  // namespace dv
