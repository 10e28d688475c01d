#pragma once
// The window system on SDL2: one window captioned "Dravo Vantle!", the
// cursor display count, message boxes and the event pump. Destroying the
// host gives back the display and the cursor however the program ends, so
// it must outlive the keyboard, the sound device and the media system.
#include <cstddef>
#include <filesystem>
#include <string>

#include "platform/WindowSystem.h"

struct SDL_Window;

namespace dv::sdl {

// Each line of `text` (lines end at LF) broken at spaces into lines of at
// most `width` characters; a longer word keeps a line of its own, and
// spaces where a line breaks are dropped.
std::string WrapLines(const std::string& text, std::size_t width);

struct HostOptions {
    bool windowed = false;  // an 800x600 resizable window instead of full-screen desktop
    bool headless = false;  // SDL's dummy video driver; message boxes go to stderr
};

struct HostEvents {
    bool closeRequested = false;
};

class SdlHost : public IWindowSystem {
public:
    static constexpr const char* kCaption = "Dravo Vantle!";
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kTwipsPerPixel = 15;
    // Message box lines stay within this many characters.
    static constexpr std::size_t kMessageWidth = 70;

    // Throws dv::Error (err::RenderDeviceFailed) when SDL or the window fails.
    explicit SdlHost(HostOptions options = {});
    ~SdlHost() override;
    SdlHost(const SdlHost&) = delete;
    SdlHost& operator=(const SdlHost&) = delete;

    SDL_Window* Window() const { return window_; }

    int ShowCursor(int show) override;
    void ShowWindow() override;
    void MessageBox(const std::string& text) override;
    std::filesystem::path ProgramDirectory() const override;
    int OuterWidthTwips() const override;
    int OuterHeightTwips() const override;

    // Drains SDL's event queue. Alt+Enter switches between full-screen
    // desktop and a window.
    HostEvents PumpEvents();
    void ToggleFullScreen();
    bool IsFullScreen() const;

private:
    HostOptions options_;
    SDL_Window* window_ = nullptr;
    int cursorCount_ = 0;
    std::filesystem::path programDirectory_;
};

}  // namespace dv::sdl
