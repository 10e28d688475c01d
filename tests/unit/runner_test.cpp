// The run loop's pacing, on the recording devices.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "app/CommandLine.h"
#include "app/RunHost.h"
#include "app/Runner.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/RecordingMediaSystem.h"
#include "platform/headless/RecordingRenderDevice.h"
#include "platform/headless/RecordingSoundDevice.h"

namespace dv {
namespace {

using namespace std::chrono_literals;

class RecordingHost final : public RunHost {
public:
    explicit RecordingHost(RecordingRenderDevice& render) : render_(render) {}
    IWindowSystem& Window() override { return window_; }
    IKeyboardDevice* Keyboard() override { return nullptr; }
    IRenderDevice& Render() override { return render_; }
    ISoundDevice& Sound() override { return sound_; }
    IMediaSystem& Media() override { return media_; }
    bool PumpCloseRequested() override { return false; }
    bool PollClosedAfterFailure() override { return true; }
    bool SaveScreenshot(const std::filesystem::path&, std::string& why) override {
        why = "no pixels";
        return false;
    }

private:
    HeadlessWindowSystem window_{DV_SOURCE_DIR};
    RecordingRenderDevice& render_;
    RecordingSoundDevice sound_;
    RecordingMediaSystem media_;
};

// A page calls the loop first at its next display frame, which may come well
// after loading ended, and at a phone's speed the first frame then takes the
// browser several periods to show (code run for the first time, the canvas
// set up). Timed from before either, the ticks due meanwhile would all run
// at once after it: a jump on screen and a cluster of late ticks.
TEST(RunLoop, TheClockStartsOnceTheFirstFrameIsOnScreen) {
    RecordingRenderDevice render;
    RunOptions options;
    options.ticks = 1000;
    std::unique_ptr<SteppedRun> run =
        MakeGameRun(options, std::make_unique<RecordingHost>(render), std::chrono::steady_clock::now());
    const std::uint64_t loaded = render.FramesPresented();

    // Eight ticks (four frames) would be due by now had the clock started
    // with loading: the first call draws the first frame and no more.
    std::this_thread::sleep_for(80ms);
    ASSERT_TRUE(run->Step(100ms, 12ms));
    EXPECT_EQ(render.FramesPresented(), loaded + 1) << "the first call did not draw just the first frame";

    // The browser shows that frame, taking six periods. Had the clock
    // started with the first call, three frames would now be due; one is
    // allowed, should this thread be held up after the clock starts.
    std::this_thread::sleep_for(60ms);
    ASSERT_TRUE(run->Step(100ms, 12ms));
    EXPECT_LE(render.FramesPresented(), loaded + 2) << "ticks were due from before the first frame was shown";

    // The game draws every other tick: a few periods later it has drawn again.
    const std::uint64_t shown = render.FramesPresented();
    std::this_thread::sleep_for(35ms);
    ASSERT_TRUE(run->Step(100ms, 12ms));
    EXPECT_GT(render.FramesPresented(), shown);
    EXPECT_EQ(run->Finish(), 0);
}

}  // namespace
}  // namespace dv
