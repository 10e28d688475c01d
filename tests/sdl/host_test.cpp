#include "platform/sdl/SdlHost.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Error.h"
#include "platform/sdl/SdlKeyboard.h"

namespace dv::sdl {
namespace {

HostOptions Headless(bool windowed) {
    HostOptions o;
    o.headless = true;
    o.windowed = windowed;
    return o;
}

void PushKey(SDL_Window* window, SDL_Scancode scancode, Uint16 mod) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = SDL_GetWindowID(window);
    e.key.state = SDL_PRESSED;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
    e.key.keysym.mod = mod;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
}

TEST(SdlHost, MakesAHiddenCaptionedWindowUntilShown) {
    SdlHost host(Headless(false));
    ASSERT_NE(host.Window(), nullptr);
    EXPECT_STREQ(SDL_GetWindowTitle(host.Window()), "Dravo Vantle!");
    EXPECT_NE(SDL_GetWindowFlags(host.Window()) & SDL_WINDOW_HIDDEN, 0u);
    EXPECT_TRUE(host.IsFullScreen());
    EXPECT_EQ(SDL_GetWindowFlags(host.Window()) & SDL_WINDOW_FULLSCREEN_DESKTOP, SDL_WINDOW_FULLSCREEN_DESKTOP);
    host.ShowWindow();
    EXPECT_EQ(SDL_GetWindowFlags(host.Window()) & SDL_WINDOW_HIDDEN, 0u);
    EXPECT_NE(SDL_GetWindowFlags(host.Window()) & SDL_WINDOW_SHOWN, 0u);
}

TEST(SdlHost, WindowedIsAResizable800x600Window) {
    SdlHost host(Headless(true));
    EXPECT_FALSE(host.IsFullScreen());
    EXPECT_NE(SDL_GetWindowFlags(host.Window()) & SDL_WINDOW_RESIZABLE, 0u);
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(host.Window(), &w, &h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    // The dummy driver has no borders: the outer size is the window's.
    EXPECT_EQ(host.OuterWidthTwips(), 12000);
    EXPECT_EQ(host.OuterHeightTwips(), 9000);
}

TEST(SdlHost, CursorFollowsTheDisplayCount) {
    SdlHost host(Headless(true));
    EXPECT_EQ(host.ShowCursor(0), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(host.ShowCursor(0), -2);
    EXPECT_EQ(host.ShowCursor(1), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(host.ShowCursor(-7), 0);  // any nonzero value shows
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(host.ShowCursor(1), 1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(host.ShowCursor(0), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST(SdlHost, ProgramDirectoryIsTheExecutablesFolder) {
    SdlHost host(Headless(true));
    const std::filesystem::path dir = host.ProgramDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(std::filesystem::equivalent(dir, std::filesystem::canonical("/proc/self/exe").parent_path()));
}

TEST(SdlHost, HeadlessMessageGoesToStderrWithLineBreaks) {
    SdlHost host(Headless(true));
    testing::internal::CaptureStderr();
    host.MessageBox("53\r\nFile non trovato: /x/y.WAV");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "53\nFile non trovato: /x/y.WAV\n");
}

TEST(SdlHost, PumpReportsCloseRequests) {
    SdlHost host(Headless(true));
    EXPECT_FALSE(host.PumpEvents().closeRequested);

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    EXPECT_TRUE(host.PumpEvents().closeRequested);
    EXPECT_FALSE(host.PumpEvents().closeRequested);  // drained

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(host.Window()) + 1;  // someone else's window
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    EXPECT_FALSE(host.PumpEvents().closeRequested);
    close.window.windowID = SDL_GetWindowID(host.Window());
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    EXPECT_TRUE(host.PumpEvents().closeRequested);
}

TEST(SdlHost, AltEnterTogglesFullScreen) {
    SdlHost host(Headless(false));
    host.ShowWindow();
    ASSERT_TRUE(host.IsFullScreen());
    PushKey(host.Window(), SDL_SCANCODE_RETURN, KMOD_LALT);
    EXPECT_FALSE(host.PumpEvents().closeRequested);
    EXPECT_FALSE(host.IsFullScreen());
    PushKey(host.Window(), SDL_SCANCODE_RETURN, KMOD_NONE);  // Enter alone does nothing
    host.PumpEvents();
    EXPECT_FALSE(host.IsFullScreen());
    PushKey(host.Window(), SDL_SCANCODE_RETURN, KMOD_RALT);
    host.PumpEvents();
    EXPECT_TRUE(host.IsFullScreen());
}

TEST(SdlHost, KeyboardAcquiresOnTheHostsWindowAndLeavesEventsQueued) {
    SdlHost host(Headless(true));
    SdlKeyboard keyboard(host);
    EXPECT_NO_THROW(keyboard.Acquire());
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    KeyboardState state;
    keyboard.GetDeviceStateKeyboard(state);
    EXPECT_TRUE(host.PumpEvents().closeRequested);
}

}  // namespace
}  // namespace dv::sdl
