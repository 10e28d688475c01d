#include "platform/FrameLoop.h"

#include "platform/TickClock.h"

namespace dv {

int RunToEnd(std::unique_ptr<SteppedRun> run) {
    // One period of catch-up: a tick more than that late restarts the grid,
    // as the original's coalescing timer did. A fast run steps a tick at a
    // time, so window events are still seen between ticks.
    while (run->Step(TickClock::kDefaultPeriod, std::chrono::nanoseconds{0})) {
        run->SleepUntilDue();
    }
    return run->Finish();
}

}  // namespace dv
