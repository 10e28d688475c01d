#include "platform/sdl/SdlGamepads.h"

#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace dv::sdl {

namespace {

constexpr std::array<PadButtonKey, 10> kButtons{{
    {SDL_CONTROLLER_BUTTON_A, dik::Space},
    {SDL_CONTROLLER_BUTTON_START, dik::P},
    {SDL_CONTROLLER_BUTTON_BACK, dik::Escape},
    {SDL_CONTROLLER_BUTTON_B, dik::N},
    {SDL_CONTROLLER_BUTTON_X, dik::S},
    {SDL_CONTROLLER_BUTTON_Y, dik::M},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, dik::Up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, dik::Down},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, dik::Left},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, dik::Right},
}};

}  // namespace

std::span<const PadButtonKey> PadButtonTable() {
    return kButtons;
}

int StickArrow::Update(int x, int y) {
    const std::int64_t lean2 = std::int64_t{x} * x + std::int64_t{y} * y;
    const std::int64_t edge = arrow_ == 0 ? kPress : kRelease;
    if (arrow_ == 0 ? lean2 < edge * edge : lean2 <= edge * edge) {
        arrow_ = 0;
        return arrow_;
    }
    const double ax = std::abs(x);
    const double ay = std::abs(y);
    bool horizontal = ax >= ay;
    if (arrow_ == dik::Left || arrow_ == dik::Right) {
        horizontal = ay <= ax * kTurn;
    } else if (arrow_ == dik::Up || arrow_ == dik::Down) {
        horizontal = ax > ay * kTurn;
    }
    if (horizontal) {
        arrow_ = x < 0 ? dik::Left : dik::Right;
    } else {
        arrow_ = y < 0 ? dik::Up : dik::Down;
    }
    return arrow_;
}

SdlGamepads::~SdlGamepads() {
    for (const Pad& pad : pads_) {
        SDL_GameControllerClose(pad.controller);
    }
    if (open_) {
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }
}

bool SdlGamepads::Open() {
    if (!open_) {
        // A pad whose labels swap A and B (and X and Y) still gets the keys
        // of its buttons' places, so the layout in the README holds for all.
        SDL_SetHint(SDL_HINT_GAMECONTROLLER_USE_BUTTON_LABELS, "0");
        open_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    }
    return open_;
}

void SdlGamepads::Refresh() {
    std::erase_if(pads_, [](const Pad& pad) {
        if (SDL_GameControllerGetAttached(pad.controller) == SDL_TRUE) {
            return false;
        }
        SDL_GameControllerClose(pad.controller);
        return true;
    });
    const int devices = SDL_NumJoysticks();
    for (int i = 0; i < devices; ++i) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        const bool known =
            std::any_of(pads_.begin(), pads_.end(), [id](const Pad& pad) { return pad.instance == id; });
        if (id < 0 || known || SDL_IsGameController(i) == SDL_FALSE) {
            continue;
        }
        // A pad that will not open is tried again at the next read.
        if (SDL_GameController* controller = SDL_GameControllerOpen(i)) {
            pads_.push_back(Pad{controller, id, StickArrow{}});
        }
    }
}

void SdlGamepads::Release() {
    for (Pad& pad : pads_) {
        pad.stick.Release();
    }
}

void SdlGamepads::AddPressed(KeyboardState& state) {
    if (!open_) {
        return;
    }
    Refresh();
    for (Pad& pad : pads_) {
        for (const PadButtonKey& key : kButtons) {
            if (SDL_GameControllerGetButton(pad.controller, key.button) != 0) {
                state[static_cast<std::size_t>(key.dik)] = 0x80;
            }
        }
        const int x = SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_LEFTX);
        const int y = SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_LEFTY);
        if (const int arrow = pad.stick.Update(x, y); arrow != 0) {
            state[static_cast<std::size_t>(arrow)] = 0x80;
        }
    }
}

}  // namespace dv::sdl
