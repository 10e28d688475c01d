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

// The left stick read as one arrow at most. The dead zone is round, so a
// push counts the same in every direction, and it has two edges: a stick
// must lean past kPress to press an arrow and come back inside kRelease to
// let go, so one resting near the edge does not flicker (each flicker would
// restart the arrow's hold count and repeat it too soon). The arrow follows
// the dominant axis; once pressed, it changes axis only when the other one
// leads clearly, so a push near 45 degrees keeps one arrow.
class StickArrow {
public:
    static constexpr int kPress = 16384;    // half of the full lean
    static constexpr int kRelease = 13107;  // four tenths of it
    // The other axis must lead the held one by this factor (tan 55 degrees,
    // ten degrees past the diagonal) before the arrow turns.
    static constexpr double kTurn = 1.4281;

    // The arrow's DIK code after the stick moved to (x, y), up negative, or
    // 0 for none.
    int Update(int x, int y);
    int Arrow() const { return arrow_; }
    void Release() { arrow_ = 0; }

private:
    int arrow_ = 0;
};

class SdlGamepads {
public:
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

    // Forgets what the sticks held, when the game loses the focus: back with
    // the focus, a stick counts from where it is, by the press edge.
    void Release();

private:
    struct Pad {
        SDL_GameController* controller = nullptr;
        SDL_JoystickID instance = -1;
        StickArrow stick;
    };
    void Refresh();

    bool open_ = false;
    std::vector<Pad> pads_;
};

}  // namespace dv::sdl
