#pragma once
// Who gives the game its time. A desktop program loops and sleeps until the
// next tick is due; a web page must hand control back to the browser, which
// calls it once per display frame. The run is the same step either way; the
// caller only says how far behind the tick grid it may catch up.
#include <chrono>
#include <memory>

namespace dv {

class SteppedRun {
public:
    virtual ~SteppedRun() = default;
    // Runs the ticks due now on the grid, catching up at most `catchUp`
    // behind it. A run without a clock (--fast) instead runs ticks back to
    // back for `fastBudget` of wall time, always at least one. False once the
    // run is over.
    virtual bool Step(std::chrono::nanoseconds catchUp, std::chrono::nanoseconds fastBudget) = 0;
    // False for a run without a clock (--fast), which wants its steps back
    // to back rather than once per display frame.
    virtual bool Paced() const = 0;
    // Sleeps until the next step has something to do.
    virtual void SleepUntilDue() = 0;
    // Once Step has returned false: writes the run's reports and gives its
    // exit status.
    virtual int Finish() = 0;
};

// On the desktop: steps to the end and returns the exit status. In a web
// page: hands the run to the browser's frame callback and returns at once;
// the exit status reaches the page when the run ends.
int RunToEnd(std::unique_ptr<SteppedRun> run);

}  // namespace dv
