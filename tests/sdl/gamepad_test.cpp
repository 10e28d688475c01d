// Game controllers read through the keyboard device: SDL's virtual
// joysticks stand in for the pads and go through SDL's own joystick and
// controller code each time the keyboard is read. No window exists, so SDL
// takes every press; the focus rule is fed to the keyboard directly.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <unistd.h>

#include "app/RecordingKeyboard.h"
#include "platform/sdl/SdlGamepads.h"
#include "platform/sdl/SdlKeyboard.h"

namespace dv::sdl {
namespace {

SDL_Window* const kGameWindow = reinterpret_cast<SDL_Window*>(0x1000);
SDL_Window* const kOtherWindow = reinterpret_cast<SDL_Window*>(0x2000);

// One pad on SDL's virtual joystick driver, laid out as a standard controller.
class VirtualPad {
public:
    VirtualPad() {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                    SDL_CONTROLLER_BUTTON_MAX, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        joystick_ = SDL_JoystickOpen(index);
        EXPECT_NE(joystick_, nullptr) << SDL_GetError();
        id_ = SDL_JoystickInstanceID(joystick_);
    }
    ~VirtualPad() { Unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void Press(SDL_GameControllerButton b) { SDL_JoystickSetVirtualButton(joystick_, b, SDL_PRESSED); }
    void Release(SDL_GameControllerButton b) { SDL_JoystickSetVirtualButton(joystick_, b, SDL_RELEASED); }
    void Lean(SDL_GameControllerAxis axis, Sint16 value) { SDL_JoystickSetVirtualAxis(joystick_, axis, value); }

    void Unplug() {
        if (joystick_ == nullptr) {
            return;
        }
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id_) {
                SDL_JoystickDetachVirtual(i);
                break;
            }
        }
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
    }

private:
    SDL_Joystick* joystick_ = nullptr;
    SDL_JoystickID id_ = -1;
};

class GamepadTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SdlKeyboard::KeySource source{[] { SDL_PumpEvents(); }, [this] { return focus_; },
                                      [this](int* n) {
                                          *n = SDL_NUM_SCANCODES;
                                          return static_cast<const std::uint8_t*>(keys_);
                                      },
                                      nullptr, nullptr};
        keyboard_ = std::make_unique<SdlKeyboard>(kGameWindow, std::move(source), std::make_unique<SdlGamepads>());
        keyboard_->Acquire();
        ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u) << "Acquire opens the controllers";
    }
    void TearDown() override {
        keyboard_.reset();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    // The DIK codes down after one read of the keyboard device.
    std::set<int> Down() {
        KeyboardState state;
        state.fill(0x55);
        keyboard_->GetDeviceStateKeyboard(state);
        std::set<int> down;
        for (std::size_t i = 0; i < state.size(); ++i) {
            EXPECT_TRUE(state[i] == 0 || state[i] == 0x80) << i << ": " << int{state[i]};
            if (state[i] != 0) {
                down.insert(static_cast<int>(i));
            }
        }
        return down;
    }

    SDL_Window* focus_ = kGameWindow;
    Uint8 keys_[SDL_NUM_SCANCODES] = {};
    std::unique_ptr<SdlKeyboard> keyboard_;
};

using Keys = std::set<int>;

TEST_F(GamepadTest, ButtonsAndTheLeftStickAreTheGamesKeysByPosition) {
    VirtualPad pad;
    EXPECT_EQ(Down(), Keys{});
    const std::pair<SDL_GameControllerButton, int> mapped[] = {
        {SDL_CONTROLLER_BUTTON_A, 57},          {SDL_CONTROLLER_BUTTON_START, 25},
        {SDL_CONTROLLER_BUTTON_BACK, 1},        {SDL_CONTROLLER_BUTTON_B, 49},
        {SDL_CONTROLLER_BUTTON_X, 31},          {SDL_CONTROLLER_BUTTON_Y, 50},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, 200},   {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 208},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 203}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 205},
    };
    for (const auto& [button, dik] : mapped) {
        pad.Press(button);
        EXPECT_EQ(Down(), Keys{dik}) << SDL_GameControllerGetStringForButton(button);
        pad.Release(button);
        EXPECT_EQ(Down(), Keys{}) << SDL_GameControllerGetStringForButton(button);
    }
    for (SDL_GameControllerButton unused : {SDL_CONTROLLER_BUTTON_GUIDE, SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                            SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, SDL_CONTROLLER_BUTTON_LEFTSTICK}) {
        pad.Press(unused);
        EXPECT_EQ(Down(), Keys{}) << SDL_GameControllerGetStringForButton(unused);
        pad.Release(unused);
    }

    // The stick counts once it leans past the dead zone; up is negative.
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, -12000);
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, 9000);
    EXPECT_EQ(Down(), Keys{}) << "a stick barely off centre";
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, -20000);
    EXPECT_EQ(Down(), Keys{203});
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, 32767);
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    EXPECT_EQ(Down(), Keys{205}) << "one arrow on the diagonal, on the axis held";
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, 25000);
    EXPECT_EQ(Down(), Keys{208});
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, 0);
    for (SDL_GameControllerAxis other : {SDL_CONTROLLER_AXIS_RIGHTX, SDL_CONTROLLER_AXIS_RIGHTY,
                                         SDL_CONTROLLER_AXIS_TRIGGERLEFT, SDL_CONTROLLER_AXIS_TRIGGERRIGHT}) {
        pad.Lean(other, 32767);
    }
    EXPECT_EQ(Down(), Keys{}) << "the right stick and the triggers";
}

// The dead zone is round with two edges: an arrow is pressed from 16384 of
// lean and let go at 13107, so a stick resting by an edge gives one press,
// not a flicker that would restart the arrow's hold count.
TEST_F(GamepadTest, TheStickPressesPastOneEdgeAndLetsGoInsideTheOther) {
    VirtualPad pad;
    const auto lean = [&](int x, int y) {
        pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
        pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
        return Down();
    };
    EXPECT_EQ(lean(16383, 0), Keys{});
    EXPECT_EQ(lean(16384, 0), Keys{205});
    for (int wobble : {15800, 16500, 14000, 16500, 13108}) {
        EXPECT_EQ(lean(wobble, 0), Keys{205}) << wobble;
    }
    EXPECT_EQ(lean(13107, 0), Keys{});
    EXPECT_EQ(lean(16000, 0), Keys{}) << "back inside the press edge";
    EXPECT_EQ(lean(0, -16384), Keys{200});
    EXPECT_EQ(lean(0, -13107), Keys{});
    // Round: on the diagonal 11586 on each axis is 16385 of lean.
    EXPECT_EQ(lean(-11585, 11585), Keys{});
    EXPECT_EQ(lean(-11586, 11586), Keys{203}) << "on the diagonal the horizontal arrow";
    EXPECT_EQ(lean(-9300, 9300), Keys{203}) << "13152 of lean, still held";
    EXPECT_EQ(lean(-9200, 9200), Keys{}) << "13011 of lean";
}

// Around 45 degrees one arrow only, and it does not flicker between the two.
TEST_F(GamepadTest, TheStickNearTheDiagonalKeepsItsArrowUntilTheOtherAxisLeadsClearly) {
    VirtualPad pad;
    const auto lean = [&](int x, int y) {
        pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, static_cast<Sint16>(x));
        pad.Lean(SDL_CONTROLLER_AXIS_LEFTY, static_cast<Sint16>(y));
        return Down();
    };
    EXPECT_EQ(lean(20000, 20000), Keys{205}) << "a square dead zone pressed both here";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(lean(20000, 20600), Keys{205});
        EXPECT_EQ(lean(20600, 20000), Keys{205});
    }
    EXPECT_EQ(lean(20000, 28400), Keys{205}) << "55 degrees less a little";
    EXPECT_EQ(lean(20000, 28600), Keys{208}) << "55 degrees and a little";
    EXPECT_EQ(lean(24000, 20000), Keys{208}) << "past the diagonal, not yet clearly";
    EXPECT_EQ(lean(28700, 20000), Keys{205});
    EXPECT_EQ(lean(0, 0), Keys{});
    EXPECT_EQ(lean(-20000, -20600), Keys{200}) << "from rest the larger axis decides";
}

// Back with the focus, or on a pad of its own, a stick counts from where it
// is, by the press edge: what it held before is forgotten.
TEST_F(GamepadTest, TheStickStartsAfreshWithTheFocusAndOnEachPad) {
    VirtualPad pad;
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, 20000);
    EXPECT_EQ(Down(), Keys{205});
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, 15000);
    EXPECT_EQ(Down(), Keys{205});
    VirtualPad other;
    other.Lean(SDL_CONTROLLER_AXIS_LEFTX, -15000);
    EXPECT_EQ(Down(), Keys{205}) << "the second pad has held nothing";
    focus_ = kOtherWindow;
    EXPECT_EQ(Down(), Keys{});
    focus_ = kGameWindow;
    EXPECT_EQ(Down(), Keys{});
    pad.Lean(SDL_CONTROLLER_AXIS_LEFTX, 16384);
    EXPECT_EQ(Down(), Keys{205});
}

TEST_F(GamepadTest, PressesCountOnlyWhileTheGamesWindowHasTheFocus) {
    VirtualPad pad;
    pad.Press(SDL_CONTROLLER_BUTTON_A);
    pad.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    for (SDL_Window* elsewhere : {kOtherWindow, static_cast<SDL_Window*>(nullptr)}) {
        focus_ = elsewhere;
        EXPECT_EQ(Down(), Keys{});
    }
    focus_ = kGameWindow;
    EXPECT_EQ(Down(), (Keys{57, 203}));
}

TEST_F(GamepadTest, PadsPluggedInOrPulledOutWhileRunningArePickedUp) {
    EXPECT_EQ(Down(), Keys{});
    {
        VirtualPad first;
        first.Press(SDL_CONTROLLER_BUTTON_START);
        EXPECT_EQ(Down(), Keys{25});
        VirtualPad second;
        second.Press(SDL_CONTROLLER_BUTTON_Y);
        EXPECT_EQ(Down(), (Keys{25, 50}));
        // Pulled out with a button held: the key comes up, nothing sticks.
        first.Unplug();
        EXPECT_EQ(Down(), Keys{50});
    }
    EXPECT_EQ(Down(), Keys{});
    VirtualPad again;
    again.Press(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(Down(), Keys{49});
}

// A handheld may list its own controls and the virtual pad made from them:
// the same press arrives twice, a little apart. Like a key held on two
// keyboards it is one key down, so the game's press-and-release rules see
// one press, and the recording says so in key codes.
TEST_F(GamepadTest, ThePressOfAPadListedTwiceIsOnePressAndIsRecordedAsKeys) {
    const auto file = std::filesystem::temp_directory_path() / ("dv_pads_" + std::to_string(getpid()) + ".txt");
    {
        RecordingKeyboard recorder(*keyboard_, file);
        VirtualPad raw;
        VirtualPad copy;
        std::uint64_t tick = 0;
        const auto read = [&] {
            recorder.SetTick(++tick);
            KeyboardState state;
            recorder.GetDeviceStateKeyboard(state);
            return state[57];
        };
        EXPECT_EQ(read(), 0);
        raw.Press(SDL_CONTROLLER_BUTTON_A);
        EXPECT_EQ(read(), 0x80);  // tick 2
        copy.Press(SDL_CONTROLLER_BUTTON_A);
        EXPECT_EQ(read(), 0x80);
        keys_[SDL_SCANCODE_SPACE] = 1;  // and the keyboard's Space as well
        EXPECT_EQ(read(), 0x80);
        raw.Release(SDL_CONTROLLER_BUTTON_A);
        keys_[SDL_SCANCODE_SPACE] = 0;
        EXPECT_EQ(read(), 0x80) << "still held on the second listing";
        copy.Release(SDL_CONTROLLER_BUTTON_A);
        EXPECT_EQ(read(), 0);  // tick 6
        copy.Press(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
        read();  // tick 7
    }
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::filesystem::remove(file);
    EXPECT_EQ(text.str(), "# Dravo Vantle! keys: TICK CODE CODE ...\n2 57\n6\n7 203\n");
}

}  // namespace
}  // namespace dv::sdl
