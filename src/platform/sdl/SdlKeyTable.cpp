#include "platform/sdl/SdlKeyTable.h"

#include <array>

namespace dv::sdl {

namespace {

// DirectInput 8 key codes.
constexpr std::array kTable{
    ScancodeDik{SDL_SCANCODE_ESCAPE, 0x01},
    ScancodeDik{SDL_SCANCODE_1, 0x02},
    ScancodeDik{SDL_SCANCODE_2, 0x03},
    ScancodeDik{SDL_SCANCODE_3, 0x04},
    ScancodeDik{SDL_SCANCODE_4, 0x05},
    ScancodeDik{SDL_SCANCODE_5, 0x06},
    ScancodeDik{SDL_SCANCODE_6, 0x07},
    ScancodeDik{SDL_SCANCODE_7, 0x08},
    ScancodeDik{SDL_SCANCODE_8, 0x09},
    ScancodeDik{SDL_SCANCODE_9, 0x0A},
    ScancodeDik{SDL_SCANCODE_0, 0x0B},
    ScancodeDik{SDL_SCANCODE_MINUS, 0x0C},
    ScancodeDik{SDL_SCANCODE_EQUALS, 0x0D},
    ScancodeDik{SDL_SCANCODE_BACKSPACE, 0x0E},
    ScancodeDik{SDL_SCANCODE_TAB, 0x0F},
    ScancodeDik{SDL_SCANCODE_Q, 0x10},
    ScancodeDik{SDL_SCANCODE_W, 0x11},
    ScancodeDik{SDL_SCANCODE_E, 0x12},
    ScancodeDik{SDL_SCANCODE_R, 0x13},
    ScancodeDik{SDL_SCANCODE_T, 0x14},
    ScancodeDik{SDL_SCANCODE_Y, 0x15},
    ScancodeDik{SDL_SCANCODE_U, 0x16},
    ScancodeDik{SDL_SCANCODE_I, 0x17},
    ScancodeDik{SDL_SCANCODE_O, 0x18},
    ScancodeDik{SDL_SCANCODE_P, 0x19},
    ScancodeDik{SDL_SCANCODE_LEFTBRACKET, 0x1A},
    ScancodeDik{SDL_SCANCODE_RIGHTBRACKET, 0x1B},
    ScancodeDik{SDL_SCANCODE_RETURN, 0x1C},
    ScancodeDik{SDL_SCANCODE_LCTRL, 0x1D},
    ScancodeDik{SDL_SCANCODE_A, 0x1E},
    ScancodeDik{SDL_SCANCODE_S, 0x1F},
    ScancodeDik{SDL_SCANCODE_D, 0x20},
    ScancodeDik{SDL_SCANCODE_F, 0x21},
    ScancodeDik{SDL_SCANCODE_G, 0x22},
    ScancodeDik{SDL_SCANCODE_H, 0x23},
    ScancodeDik{SDL_SCANCODE_J, 0x24},
    ScancodeDik{SDL_SCANCODE_K, 0x25},
    ScancodeDik{SDL_SCANCODE_L, 0x26},
    ScancodeDik{SDL_SCANCODE_SEMICOLON, 0x27},
    ScancodeDik{SDL_SCANCODE_APOSTROPHE, 0x28},
    ScancodeDik{SDL_SCANCODE_GRAVE, 0x29},
    ScancodeDik{SDL_SCANCODE_LSHIFT, 0x2A},
    ScancodeDik{SDL_SCANCODE_BACKSLASH, 0x2B},
    // The ISO key beside Return sits where the US backslash is: one DIK code for both.
    ScancodeDik{SDL_SCANCODE_NONUSHASH, 0x2B},
    ScancodeDik{SDL_SCANCODE_Z, 0x2C},
    ScancodeDik{SDL_SCANCODE_X, 0x2D},
    ScancodeDik{SDL_SCANCODE_C, 0x2E},
    ScancodeDik{SDL_SCANCODE_V, 0x2F},
    ScancodeDik{SDL_SCANCODE_B, 0x30},
    ScancodeDik{SDL_SCANCODE_N, 0x31},
    ScancodeDik{SDL_SCANCODE_M, 0x32},
    ScancodeDik{SDL_SCANCODE_COMMA, 0x33},
    ScancodeDik{SDL_SCANCODE_PERIOD, 0x34},
    ScancodeDik{SDL_SCANCODE_SLASH, 0x35},
    ScancodeDik{SDL_SCANCODE_RSHIFT, 0x36},
    ScancodeDik{SDL_SCANCODE_KP_MULTIPLY, 0x37},
    ScancodeDik{SDL_SCANCODE_LALT, 0x38},
    ScancodeDik{SDL_SCANCODE_SPACE, 0x39},
    ScancodeDik{SDL_SCANCODE_CAPSLOCK, 0x3A},
    ScancodeDik{SDL_SCANCODE_F1, 0x3B},
    ScancodeDik{SDL_SCANCODE_F2, 0x3C},
    ScancodeDik{SDL_SCANCODE_F3, 0x3D},
    ScancodeDik{SDL_SCANCODE_F4, 0x3E},
    ScancodeDik{SDL_SCANCODE_F5, 0x3F},
    ScancodeDik{SDL_SCANCODE_F6, 0x40},
    ScancodeDik{SDL_SCANCODE_F7, 0x41},
    ScancodeDik{SDL_SCANCODE_F8, 0x42},
    ScancodeDik{SDL_SCANCODE_F9, 0x43},
    ScancodeDik{SDL_SCANCODE_F10, 0x44},
    ScancodeDik{SDL_SCANCODE_NUMLOCKCLEAR, 0x45},
    ScancodeDik{SDL_SCANCODE_SCROLLLOCK, 0x46},
    ScancodeDik{SDL_SCANCODE_KP_7, 0x47},
    ScancodeDik{SDL_SCANCODE_KP_8, 0x48},
    ScancodeDik{SDL_SCANCODE_KP_9, 0x49},
    ScancodeDik{SDL_SCANCODE_KP_MINUS, 0x4A},
    ScancodeDik{SDL_SCANCODE_KP_4, 0x4B},
    ScancodeDik{SDL_SCANCODE_KP_5, 0x4C},
    ScancodeDik{SDL_SCANCODE_KP_6, 0x4D},
    ScancodeDik{SDL_SCANCODE_KP_PLUS, 0x4E},
    ScancodeDik{SDL_SCANCODE_KP_1, 0x4F},
    ScancodeDik{SDL_SCANCODE_KP_2, 0x50},
    ScancodeDik{SDL_SCANCODE_KP_3, 0x51},
    ScancodeDik{SDL_SCANCODE_KP_0, 0x52},
    ScancodeDik{SDL_SCANCODE_KP_PERIOD, 0x53},
    ScancodeDik{SDL_SCANCODE_NONUSBACKSLASH, 0x56},
    ScancodeDik{SDL_SCANCODE_F11, 0x57},
    ScancodeDik{SDL_SCANCODE_F12, 0x58},
    ScancodeDik{SDL_SCANCODE_KP_ENTER, 0x9C},
    ScancodeDik{SDL_SCANCODE_RCTRL, 0x9D},
    ScancodeDik{SDL_SCANCODE_KP_DIVIDE, 0xB5},
    ScancodeDik{SDL_SCANCODE_PRINTSCREEN, 0xB7},
    // Alt+PrintScreen reaches SDL as SysReq on some systems; it is the same key.
    ScancodeDik{SDL_SCANCODE_SYSREQ, 0xB7},
    ScancodeDik{SDL_SCANCODE_RALT, 0xB8},
    ScancodeDik{SDL_SCANCODE_PAUSE, 0xC5},
    ScancodeDik{SDL_SCANCODE_HOME, 0xC7},
    ScancodeDik{SDL_SCANCODE_UP, 0xC8},
    ScancodeDik{SDL_SCANCODE_PAGEUP, 0xC9},
    ScancodeDik{SDL_SCANCODE_LEFT, 0xCB},
    ScancodeDik{SDL_SCANCODE_RIGHT, 0xCD},
    ScancodeDik{SDL_SCANCODE_END, 0xCF},
    ScancodeDik{SDL_SCANCODE_DOWN, 0xD0},
    ScancodeDik{SDL_SCANCODE_PAGEDOWN, 0xD1},
    ScancodeDik{SDL_SCANCODE_INSERT, 0xD2},
    ScancodeDik{SDL_SCANCODE_DELETE, 0xD3},
    ScancodeDik{SDL_SCANCODE_LGUI, 0xDB},
    ScancodeDik{SDL_SCANCODE_RGUI, 0xDC},
    ScancodeDik{SDL_SCANCODE_APPLICATION, 0xDD},
};

}  // namespace

std::span<const ScancodeDik> DikTable() {
    return kTable;
}

int DikFromScancode(SDL_Scancode scancode) {
    for (const ScancodeDik& entry : kTable) {
        if (entry.scancode == scancode) {
            return entry.dik;
        }
    }
    return 0;
}

}  // namespace dv::sdl
