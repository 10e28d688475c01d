#include "platform/sdl/SdlHost.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "GameIcon.h"
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

// The message box grows as wide as its longest line; a long description
// would run off the screen.
TEST(WrapLines, BreaksLongLinesAtSpacesAndKeepsEverythingElse) {
    const std::string description =
        "Nessun dispositivo audio utilizzabile. Per giocare senza suono, avviare il gioco con la variabile "
        "d'ambiente SDL_AUDIODRIVER=dummy.";
    EXPECT_EQ(WrapLines("1001\n" + description, SdlHost::kMessageWidth),
              "1001\n"
              "Nessun dispositivo audio utilizzabile. Per giocare senza suono,\n"
              "avviare il gioco con la variabile d'ambiente SDL_AUDIODRIVER=dummy.");

    EXPECT_EQ(WrapLines("short\nlines stay\n", 10), "short\nlines stay\n");
    EXPECT_EQ(WrapLines("a " + std::string(12, 'x') + " b", 10), "a\n" + std::string(12, 'x') + "\nb")
        << "a word longer than a line stands alone";
    // Characters are counted, not bytes: "è" is two bytes but one letter.
    EXPECT_EQ(WrapLines("è è è è è", 9), "è è è è è");
    EXPECT_EQ(WrapLines("è è è è è", 8), "è è è è\nè");
}

// The icon compiled into the program is the one the desktop's menu shows:
// both are drawn by the asset generator in the same build, one as C++
// source and one as a PNG, and must agree to the pixel.
TEST(GameIcon, IsTheDesktopIconPixelForPixel) {
    SDL_Surface* loaded = IMG_Load(DV_ICON_PNG);
    ASSERT_NE(loaded, nullptr) << IMG_GetError();
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    ASSERT_NE(argb, nullptr);
    ASSERT_EQ(argb->w, icon::kSize);
    ASSERT_EQ(argb->h, icon::kSize);
    int differing = 0;
    int opaque = 0;
    for (int y = 0; y < icon::kSize; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
        for (int x = 0; x < icon::kSize; ++x) {
            const std::uint32_t compiled = icon::kPixels[static_cast<std::size_t>(y * icon::kSize + x)];
            differing += row[x] != compiled ? 1 : 0;
            opaque += (compiled >> 24) == 0xFF ? 1 : 0;
        }
    }
    SDL_FreeSurface(argb);
    EXPECT_EQ(differing, 0) << "assetgen --icon-header and --icon disagree";
    EXPECT_GT(opaque, icon::kSize * icon::kSize / 4) << "the icon is mostly see-through";
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
