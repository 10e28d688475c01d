#pragma once
// SDL scancodes to DirectInput key codes (DIK numbering of DirectInput 8).
#include <SDL_scancode.h>

#include <span>

namespace dv::sdl {

struct ScancodeDik {
    SDL_Scancode scancode;
    int dik;
};

// Every key of a standard keyboard, and its DIK code.
std::span<const ScancodeDik> DikTable();
// The DIK code of a scancode, 0 for a key the table leaves out.
int DikFromScancode(SDL_Scancode scancode);

}  // namespace dv::sdl
