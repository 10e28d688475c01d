#pragma once
// Game controllers on SDL's GameController API, read as the keys the game
// already knows, so its rules, replays and recordings stay as they are:
// the D-pad and the left stick are the arrows, the south button Space,
// Start P, Back Escape, east N, west S and north M. Buttons go by position,
// whatever their labels say.
#include <SDL_gamecontroller.h>

#include <span>
#include <vector>

#include "platform/Keyboard.h"

namespace dv::sdl {

struct PadButtonKey {
    SDL_GameControllerButton button;
    int dik;
};

// Every button the game reads, and its key.
std::span<const PadButtonKey> PadButtonTable();

class SdlGamepads {
public:
    // How far the left stick must lean, of 32767, before it counts as an
    // arrow: a stick at rest never sits exactly at zero.
    static constexpr int kStickDeadZone = 16000;

    SdlGamepads() = default;
    ~SdlGamepads();
    SdlGamepads(const SdlGamepads&) = delete;
    SdlGamepads& operator=(const SdlGamepads&) = delete;

    // Starts SDL's game controller subsystem; false when it cannot, and the
    // game is then played from the keyboard alone.
    bool Open();

    // Opens the pads plugged in since the last call, lets go of those pulled
    // out, and marks the keys the pads hold down (0x80), leaving the other
    // entries as they are. A key held on several pads, or on a pad and the
    // keyboard, is simply down: a pad that the system lists twice (a
    // handheld's own controls beside the virtual pad made from them) gives
    // the same keys as one, and each press stays one press. SDL's events
    // must have been pumped first.
    void AddPressed(KeyboardState& state);

    // The pads open now.
    std::size_t Count() const { return pads_.size(); }

private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID instance = -1;
    };
    void Refresh();

    bool open_ = false;
    std::vector<Pad> pads_;
};

}  // namespace dv::sdl
