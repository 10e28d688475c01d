#include "platform/sdl/SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "GameIcon.h"
#include "platform/Error.h"
#include "platform/os/Os.h"

namespace dv::sdl {

namespace {

std::string WithLineFeeds(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

// Compiled in (GameIcon.h, which the asset generator writes into the build
// folder) rather than read from a file at run time: a missing icon file would
// be one more way for start-up to fail. Without an icon the game plays all the same.
void SetGameIcon(SDL_Window* window) {
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<std::uint32_t*>(icon::kPixels.data()), icon::kSize, icon::kSize, 32,
        icon::kSize * static_cast<int>(sizeof(std::uint32_t)), SDL_PIXELFORMAT_ARGB8888);
    if (icon != nullptr) {
        SDL_SetWindowIcon(window, icon);
        SDL_FreeSurface(icon);
    }
}

// Asked once: the game's files and the bundled fonts all go by this answer,
// so they cannot disagree about where the program lives.
std::filesystem::path QueryProgramDirectory() {
    std::filesystem::path dir = os::ProgramDirectory();
    if (dir.empty()) {
        // When the system cannot say, the program is taken to run from its own folder.
        std::error_code ec;
        return std::filesystem::current_path(ec);
    }
    return dir;
}

}  // namespace

SdlHost::SdlHost(HostOptions options) : options_(options) {
    if (options_.headless) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "dummy", SDL_HINT_OVERRIDE);
    }
    // Frames drawn by SDL's software renderer go to the window through the
    // window system itself. Left to its default, SDL copies them through a
    // GL texture instead, which on a machine without a GPU is the software
    // rasteriser the render device turned down, and whose driver leaves
    // memory behind at exit. The environment may still say otherwise.
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
    // On a high-DPI display the system would otherwise scale the whole window
    // up and blur the letterboxed picture; systems without scaling ignore it.
    SDL_SetHintWithPriority(SDL_HINT_WINDOWS_DPI_AWARENESS, "permonitorv2", SDL_HINT_DEFAULT);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        const std::string why = SDL_GetError();
        SDL_Quit();
        throw Error(err::RenderDeviceFailed, "Schermo non disponibile (" + why + ")");
    }
    // The game reads keys, never text. Left on, text input lets the keys that
    // type something through to whatever else is listening (in a web page,
    // Space scrolls the page).
    SDL_StopTextInput();
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!options_.windowed) {
        flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    } else if (os::WindowResizable()) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    window_ = SDL_CreateWindow(kCaption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kWidth, kHeight, flags);
    if (window_ == nullptr) {
        const std::string why = SDL_GetError();
        SDL_Quit();
        throw Error(err::RenderDeviceFailed, "Impossibile creare la finestra (" + why + ")");
    }
    SetGameIcon(window_);
    programDirectory_ = QueryProgramDirectory();
}

SdlHost::~SdlHost() {
    SDL_ShowCursor(SDL_ENABLE);
    SDL_DestroyWindow(window_);
    SDL_Quit();
}

int SdlHost::ShowCursor(int show) {
    cursorCount_ += show != 0 ? 1 : -1;
    SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount_;
}

void SdlHost::ShowWindow() {
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
}

std::string WrapLines(const std::string& text, std::size_t width) {
    // Characters, not bytes: a UTF-8 continuation byte adds none.
    const auto length = [](std::string_view s) {
        return static_cast<std::size_t>(
            std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    };
    std::string out;
    std::size_t lineStart = 0;
    while (lineStart <= text.size()) {
        std::size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        const std::string_view line(text.data() + lineStart, lineEnd - lineStart);
        std::size_t column = 0;
        std::size_t wordStart = 0;
        while (wordStart < line.size()) {
            std::size_t wordEnd = line.find(' ', wordStart);
            if (wordEnd == std::string_view::npos) {
                wordEnd = line.size();
            }
            const std::string_view word = line.substr(wordStart, wordEnd - wordStart);
            const std::size_t wordLength = length(word);
            if (column > 0 && column + 1 + wordLength > width) {
                out += '\n';
                column = 0;
            } else if (wordStart > 0) {
                out += ' ';
                ++column;
            }
            out += word;
            column += wordLength;
            wordStart = wordEnd + 1;
        }
        if (lineEnd < text.size()) {
            out += '\n';
        }
        lineStart = lineEnd + 1;
    }
    return out;
}

void SdlHost::MessageBox(const std::string& text) {
    const std::string shown = WithLineFeeds(text);
    // A start-up failure can come before the window is shown. A box tied to
    // a window that is not shown is at the window manager's mercy (it may
    // keep a dialog hidden with its owner), so it then stands on its own.
    SDL_Window* owner = (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0 ? window_ : nullptr;
    // The box is as wide as its longest line, whatever the screen.
    const std::string boxed = WrapLines(shown, kMessageWidth);
    if (!options_.headless && SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kCaption, boxed.c_str(), owner) == 0) {
        return;
    }
    // Headless, or no way to show a box: the message must still reach someone.
    std::fprintf(stderr, "%s\n", shown.c_str());
    std::fflush(stderr);
}

std::filesystem::path SdlHost::ProgramDirectory() const {
    return programDirectory_;
}

namespace {

// The window's size with its frame, where the window system tells it.
SDL_Point OuterSize(SDL_Window* window) {
    SDL_Point size{0, 0};
    SDL_GetWindowSize(window, &size.x, &size.y);
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0) {
        size.x += left + right;
        size.y += top + bottom;
    }
    return size;
}

}  // namespace

int SdlHost::OuterWidthTwips() const {
    return OuterSize(window_).x * kTwipsPerPixel;
}

int SdlHost::OuterHeightTwips() const {
    return OuterSize(window_).y * kTwipsPerPixel;
}

bool SdlHost::IsFullScreen() const {
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlHost::ToggleFullScreen() {
    // A failed switch leaves the window as it was; the game goes on.
    SDL_SetWindowFullscreen(window_, IsFullScreen() ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

HostEvents SdlHost::PumpEvents() {
    HostEvents events;
    const Uint32 ownId = SDL_GetWindowID(window_);
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) {
        switch (e.type) {
            case SDL_QUIT:
                events.closeRequested = true;
                break;
            case SDL_WINDOWEVENT:
                if (e.window.windowID == ownId && e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    events.closeRequested = true;
                }
                break;
            case SDL_KEYDOWN:
                if (e.key.repeat == 0 && (e.key.keysym.mod & KMOD_ALT) != 0 &&
                    (e.key.keysym.scancode == SDL_SCANCODE_RETURN || e.key.keysym.scancode == SDL_SCANCODE_KP_ENTER)) {
                    ToggleFullScreen();
                }
                break;
            default:
                break;
        }
    }
    return events;
}

}  // namespace dv::sdl
