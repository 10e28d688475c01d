#include <SDL_hints.h>

#include "app/GameFonts.h"
#include "app/RunHost.h"
#include "platform/Error.h"
#include "platform/os/Os.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlKeyboard.h"
#include "platform/sdl/SdlMediaSystem.h"
#include "platform/sdl/SdlRenderDevice.h"
#include "platform/sdl/SdlSoundDevice.h"

namespace dv {
namespace {

// The music player needs the mixer; it is made when the first game opens
// its track, inside the step whose failure the game ignores.
class LazyMediaSystem final : public IMediaSystem {
public:
    std::unique_ptr<IFilterGraph> CreateFilterGraph() override {
        if (!media_) {
            media_ = std::make_unique<sdl::SdlMediaSystem>();
        }
        return media_->CreateFilterGraph();
    }

private:
    std::unique_ptr<sdl::SdlMediaSystem> media_;
};

class SdlRunHost final : public RunHost {
public:
    explicit SdlRunHost(const sdl::HostOptions& options)
        : host_(Prepared(options)),
          keyboard_(host_),
          // Everything read beside the program goes through the host's one
          // notion of where that is, the bundled fonts too.
          render_(host_.Window(), GameFonts(host_.ProgramDirectory()),
                  os::ShowsFramesOnPage() ? sdl::SdlRenderDevice::FrameSink(os::ShowFrame)
                                          : sdl::SdlRenderDevice::FrameSink{}),
          sound_(options.headless ? nullptr : host_.Window()),
          headless_(options.headless) {}

    IWindowSystem& Window() override { return host_; }
    IKeyboardDevice* Keyboard() override { return headless_ ? nullptr : &keyboard_; }
    IRenderDevice& Render() override { return render_; }
    ISoundDevice& Sound() override { return sound_; }
    IMediaSystem& Media() override { return media_; }
    bool PumpCloseRequested() override { return host_.PumpEvents().closeRequested; }
    bool PollClosedAfterFailure() override {
        if (headless_) {
            return true;
        }
        // A failure before the window was shown would leave nothing to close.
        if (!failureShown_) {
            host_.ShowWindow();
            failureShown_ = true;
        }
        return host_.PumpEvents().closeRequested;
    }
    bool SaveScreenshot(const std::filesystem::path& file, std::string& why) override {
        try {
            render_.SaveScreenshot(file);
            return true;
        } catch (const Error& e) {
            why = e.Description();
            return false;
        }
    }

private:
    static const sdl::HostOptions& Prepared(const sdl::HostOptions& options) {
        if (options.headless) {
            // Silent unless the environment names a sound driver (tests use "disk").
            SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_DEFAULT);
        }
        return options;
    }

    // Members are destroyed in reverse: the host, made first, goes last and
    // gives the display and the cursor back.
    sdl::SdlHost host_;
    sdl::SdlKeyboard keyboard_;
    sdl::SdlRenderDevice render_;
    sdl::SdlSoundDevice sound_;
    LazyMediaSystem media_;
    bool headless_;
    bool failureShown_ = false;
};

}  // namespace

std::unique_ptr<RunHost> MakeSdlRunHost(bool headless, bool windowed) {
    sdl::HostOptions options;
    options.headless = headless;
    // Headless, a window of exactly the screen's size: on the dummy driver's
    // larger desktop every frame would otherwise be stretched, for no one.
    options.windowed = windowed || headless;
    return std::make_unique<SdlRunHost>(options);
}

}  // namespace dv
