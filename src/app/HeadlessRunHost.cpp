#include "app/RunHost.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/RecordingMediaSystem.h"
#include "platform/headless/RecordingRenderDevice.h"
#include "platform/headless/RecordingSoundDevice.h"

namespace dv {
namespace {

class HeadlessRunHost final : public RunHost {
public:
    explicit HeadlessRunHost(const std::filesystem::path& programDir)
        : window_(programDir, true), render_(true, false), sound_(true), media_(90.0, true) {}

    IWindowSystem& Window() override { return window_; }
    IKeyboardDevice* Keyboard() override { return nullptr; }
    IRenderDevice& Render() override { return render_; }
    ISoundDevice& Sound() override { return sound_; }
    IMediaSystem& Media() override { return media_; }
    bool PumpCloseRequested() override { return false; }
    void WaitForClose() override {}
    bool SaveScreenshot(const std::filesystem::path&, std::string& why) override {
        why = "this build draws no pixels headless";
        return false;
    }

private:
    HeadlessWindowSystem window_;
    RecordingRenderDevice render_;
    RecordingSoundDevice sound_;
    RecordingMediaSystem media_;
};

}  // namespace

std::unique_ptr<RunHost> MakeHeadlessRunHost(const std::filesystem::path& programDir) {
    return std::make_unique<HeadlessRunHost>(programDir);
}

}  // namespace dv
