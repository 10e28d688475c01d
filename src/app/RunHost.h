#pragma once
// What the run loop needs of a platform beyond the game's own devices:
// window events, a way to wait for the window to close, and screenshots.
#include <filesystem>
#include <memory>
#include <string>

#include "platform/Keyboard.h"
#include "platform/MediaPlayer.h"
#include "platform/RenderDevice.h"
#include "platform/SoundDevice.h"
#include "platform/WindowSystem.h"

namespace dv {

struct RunOptions;

class RunHost {
public:
    virtual ~RunHost() = default;
    virtual IWindowSystem& Window() = 0;
    // The person's keyboard, or null when there is none (headless).
    virtual IKeyboardDevice* Keyboard() = 0;
    virtual IRenderDevice& Render() = 0;
    virtual ISoundDevice& Sound() = 0;
    virtual IMediaSystem& Media() = 0;
    // Drains window events; true once the window has been closed.
    virtual bool PumpCloseRequested() = 0;
    // After a failed start-up the window stays until the player closes it:
    // shows it, drains its events and says whether it has been closed (at
    // once when there is no window). Never waits, so a web page can poll it.
    virtual bool PollClosedAfterFailure() = 0;
    // Saves the latest presented frame; false (with `why`) when it cannot.
    virtual bool SaveScreenshot(const std::filesystem::path& file, std::string& why) = 0;
};

// The SDL window (or, headless, SDL's dummy video driver), keyboard, drawing,
// sound and music. Throws dv::Error when SDL cannot start.
std::unique_ptr<RunHost> MakeSdlRunHost(bool headless, bool windowed);

}  // namespace dv
