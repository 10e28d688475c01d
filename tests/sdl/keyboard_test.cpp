#include "platform/sdl/SdlKeyboard.h"
#include "platform/sdl/SdlKeyTable.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include "platform/Error.h"

namespace dv::sdl {
namespace {

SDL_Scancode Named(const std::string& name) {
    const SDL_Scancode sc = SDL_GetScancodeFromName(name.c_str());
    EXPECT_NE(sc, SDL_SCANCODE_UNKNOWN) << name;
    return sc;
}

TEST(DikTable, CodesTheGameReads) {
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_ESCAPE), dik::Escape);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_P), dik::P);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_S), dik::S);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_N), dik::N);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_M), dik::M);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_SPACE), dik::Space);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_UP), dik::Up);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_LEFT), dik::Left);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_RIGHT), dik::Right);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_DOWN), dik::Down);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_UNKNOWN), 0);
    EXPECT_EQ(DikFromScancode(SDL_SCANCODE_AC_BACK), 0);
}

// The letter and digit rows follow the physical layout in consecutive codes.
TEST(DikTable, RowsRunInLayoutOrder) {
    const std::map<std::string, int> rows{
        {"1234567890", 2}, {"QWERTYUIOP", 16}, {"ASDFGHJKL", 30}, {"ZXCVBNM", 44}};
    for (const auto& [keys, first] : rows) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(DikFromScancode(Named(std::string(1, keys[i]))), first + static_cast<int>(i)) << keys[i];
        }
    }
    for (int f = 1; f <= 10; ++f) {
        EXPECT_EQ(DikFromScancode(Named("F" + std::to_string(f))), 58 + f);
    }
    EXPECT_EQ(DikFromScancode(Named("F11")), 87);
    EXPECT_EQ(DikFromScancode(Named("F12")), 88);
}

TEST(DikTable, IsConsistent) {
    const std::set<SDL_Scancode> sharedOnPurpose{SDL_SCANCODE_NONUSHASH, SDL_SCANCODE_SYSREQ};
    std::set<SDL_Scancode> scancodes;
    std::map<int, int> uses;
    for (const ScancodeDik& e : DikTable()) {
        EXPECT_TRUE(scancodes.insert(e.scancode).second) << "scancode twice: " << e.scancode;
        EXPECT_GT(e.dik, 0);
        EXPECT_LT(e.dik, 256);
        if (!sharedOnPurpose.contains(e.scancode)) {
            EXPECT_EQ(++uses[e.dik], 1) << "DIK code twice: " << e.dik;
        }
        EXPECT_EQ(DikFromScancode(e.scancode), e.dik);
    }
    EXPECT_GE(DikTable().size(), 104u);
}

// A keyboard fed from a fake SDL state.
struct FakeKeys {
    Uint8 keys[SDL_NUM_SCANCODES] = {};
    SDL_Window* focus = nullptr;
    int pumps = 0;
    std::set<int> touched;  // DIK codes held on the touch controls
    int releases = 0;
    SdlKeyboard::KeySource Source() {
        return {[this] { ++pumps; }, [this] { return focus; },
                [this](int* n) {
                    *n = SDL_NUM_SCANCODES;
                    return static_cast<const std::uint8_t*>(keys);
                },
                [this](KeyboardState& state) {
                    for (int code : touched) {
                        state[static_cast<std::size_t>(code)] = 0x80;
                    }
                },
                [this] {
                    ++releases;
                    std::fill(std::begin(keys), std::end(keys), Uint8{0});
                    touched.clear();
                }};
    }
};

SDL_Window* const kGameWindow = reinterpret_cast<SDL_Window*>(0x1000);
SDL_Window* const kOtherWindow = reinterpret_cast<SDL_Window*>(0x2000);

TEST(SdlKeyboard, ReportsDownKeysInDikCodesWhileFocused) {
    FakeKeys fake;
    fake.focus = kGameWindow;
    fake.keys[SDL_SCANCODE_LEFT] = 1;
    fake.keys[SDL_SCANCODE_SPACE] = 1;
    fake.keys[SDL_SCANCODE_AC_BACK] = 1;  // not in the table: ignored
    SdlKeyboard keyboard(kGameWindow, fake.Source());
    KeyboardState state;
    state.fill(0x55);
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_EQ(fake.pumps, 1);
    for (std::size_t i = 0; i < state.size(); ++i) {
        const bool down = i == static_cast<std::size_t>(dik::Left) || i == static_cast<std::size_t>(dik::Space);
        EXPECT_EQ(state[i], down ? 0x80 : 0) << i;
    }

    fake.keys[SDL_SCANCODE_LEFT] = 0;
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_EQ(state[dik::Left], 0);
    EXPECT_EQ(state[dik::Space], 0x80);
}

TEST(SdlKeyboard, ReadsNothingWithoutFocus) {
    FakeKeys fake;
    fake.keys[SDL_SCANCODE_ESCAPE] = 1;
    fake.keys[SDL_SCANCODE_DOWN] = 1;
    SdlKeyboard keyboard(kGameWindow, fake.Source());
    KeyboardState state;
    for (SDL_Window* focus : {static_cast<SDL_Window*>(nullptr), kOtherWindow}) {
        fake.focus = focus;
        state.fill(0x80);
        keyboard.GetDeviceStateKeyboard(state);
        for (std::uint8_t b : state) {
            ASSERT_EQ(b, 0);
        }
    }
    EXPECT_EQ(fake.pumps, 2);
}

// The desktop lets go of the keys when the window loses the focus; in a
// page nobody does unless the keyboard device asks, and a key released
// while the focus was elsewhere would be down again when it comes back.
TEST(SdlKeyboard, TouchKeysJoinTheKeysAndLosingTheFocusLetsGoOfAllOnce) {
    FakeKeys fake;
    fake.focus = kGameWindow;
    fake.keys[SDL_SCANCODE_LEFT] = 1;
    fake.touched = {dik::Down, dik::Space};
    SdlKeyboard keyboard(kGameWindow, fake.Source());
    KeyboardState state;
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_EQ(state[dik::Left], 0x80);
    EXPECT_EQ(state[dik::Down], 0x80);
    EXPECT_EQ(state[dik::Space], 0x80);
    EXPECT_EQ(fake.releases, 0);

    fake.focus = kOtherWindow;
    keyboard.GetDeviceStateKeyboard(state);
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_EQ(fake.releases, 1) << "once, as the focus goes";
    EXPECT_EQ(state[dik::Left], 0);

    fake.focus = kGameWindow;
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_TRUE(std::all_of(state.begin(), state.end(), [](std::uint8_t b) { return b == 0; }))
        << "nothing held before the focus went comes back with it";
    fake.touched = {dik::Right};
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_EQ(state[dik::Right], 0x80);
    fake.focus = nullptr;
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_EQ(fake.releases, 2);
    EXPECT_EQ(state[dik::Right], 0);
}

TEST(SdlKeyboard, AcquireNeedsVideo) {
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    SdlKeyboard keyboard(kGameWindow, FakeKeys{}.Source());
    try {
        keyboard.Acquire();
        FAIL() << "acquired without video";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::InputDeviceFailed);
    }
}

}  // namespace
}  // namespace dv::sdl
