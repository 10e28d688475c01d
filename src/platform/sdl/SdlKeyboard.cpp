#include "platform/sdl/SdlKeyboard.h"

#include <SDL.h>

#include "platform/Error.h"
#include "platform/os/Os.h"
#include "platform/sdl/SdlGamepads.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlKeyTable.h"

namespace dv::sdl {

SdlKeyboard::KeySource SdlKeyboard::SdlKeySource() {
    return KeySource{
        [] { SDL_PumpEvents(); },
        // SDL's emscripten backend gives its window the keyboard focus once
        // and for good; the page knows better.
        []() -> SDL_Window* { return os::PageHasFocus() ? SDL_GetKeyboardFocus() : nullptr; },
        [](int* count) { return static_cast<const std::uint8_t*>(SDL_GetKeyboardState(count)); },
        [](KeyboardState& state) { os::AddTouchKeys(state); },
        [] {
            SDL_ResetKeyboard();
            os::ReleaseTouchKeys();
        },
    };
}

SdlKeyboard::SdlKeyboard(const SdlHost& host)
    : SdlKeyboard(host.Window(), SdlKeySource(), std::make_unique<SdlGamepads>()) {}

SdlKeyboard::SdlKeyboard(SDL_Window* window, KeySource source, std::unique_ptr<SdlGamepads> pads)
    : window_(window), source_(std::move(source)), pads_(std::move(pads)) {}

SdlKeyboard::~SdlKeyboard() = default;

void SdlKeyboard::Acquire() {
    if (window_ == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        throw Error(err::InputDeviceFailed, "Tastiera non disponibile: il sistema video non è avviato.");
    }
    if (pads_) {
        pads_->Open();
    }
}

void SdlKeyboard::GetDeviceStateKeyboard(KeyboardState& state) {
    state.fill(0);
    // Pumping leaves the events queued for the host to drain.
    source_.pump();
    const bool focused = window_ != nullptr && source_.focus() == window_;
    if (!focused) {
        if (focused_) {
            if (source_.release) {
                source_.release();
            }
            if (pads_) {
                pads_->Release();
            }
        }
        focused_ = false;
        return;
    }
    focused_ = true;
    int count = 0;
    const std::uint8_t* keys = source_.keys(&count);
    for (const ScancodeDik& entry : DikTable()) {
        if (entry.scancode < count && keys[entry.scancode] != 0) {
            state[static_cast<std::size_t>(entry.dik)] = 0x80;
        }
    }
    if (source_.touch) {
        source_.touch(state);
    }
    if (pads_) {
        pads_->AddPressed(state);
    }
}

}  // namespace dv::sdl
