#pragma once
// The keyboard on SDL2, reported in DirectInput key codes (DIK numbering,
// see SdlKeyTable.h), with the game controllers' buttons read as keys too.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Keyboard.h"
#include "platform/sdl/SdlGamepads.h"

struct SDL_Window;

namespace dv::sdl {

class SdlHost;

class SdlKeyboard : public IKeyboardDevice {
public:
    // Where the keyboard state comes from; SDL itself by default, a fake in tests.
    struct KeySource {
        std::function<void()> pump;                   // SDL_PumpEvents
        std::function<SDL_Window*()> focus;           // SDL_GetKeyboardFocus, in a page only
                                                      // while the page gives the game its keys
        std::function<const std::uint8_t*(int*)> keys;  // SDL_GetKeyboardState
        std::function<void(KeyboardState&)> touch;    // the page's touch controls; may be empty
        std::function<void()> release;                // SDL_ResetKeyboard and the touch keys; may be empty
    };
    static KeySource SdlKeySource();

    // The keyboard and every game controller.
    explicit SdlKeyboard(const SdlHost& host);
    explicit SdlKeyboard(SDL_Window* window, KeySource source = SdlKeySource(),
                         std::unique_ptr<SdlGamepads> pads = nullptr);
    ~SdlKeyboard() override;
    SdlKeyboard(const SdlKeyboard&) = delete;
    SdlKeyboard& operator=(const SdlKeyboard&) = delete;

    // Throws dv::Error (err::InputDeviceFailed) unless SDL's video is up.
    // Controllers are opened here; without them the keyboard still plays.
    void Acquire() override;
    // Keys, touch and controllers count only while the game's window has
    // the keyboard focus, so typing into another program never reaches the
    // game. When the focus goes every key is let go, as the desktop does:
    // a key released elsewhere must not come back down with the focus.
    void GetDeviceStateKeyboard(KeyboardState& state) override;

private:
    SDL_Window* window_;
    bool focused_ = false;
    KeySource source_;
    std::unique_ptr<SdlGamepads> pads_;
};

}  // namespace dv::sdl
