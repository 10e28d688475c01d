#pragma once
#include <chrono>
#include <memory>

#include "app/CommandLine.h"
#include "app/RunHost.h"
#include "platform/FrameLoop.h"

namespace dv {

// One run of the game as the options say, advanced a step at a time by
// whoever owns the time (see platform/FrameLoop.h). Its exit status: 0 normal
// end or quit, 1 start-up or tick failure, 2 bad replay. `launched` is when
// the program started, for the start-up time it reports.
std::unique_ptr<SteppedRun> MakeGameRun(const RunOptions& options, std::unique_ptr<RunHost> host,
                                        std::chrono::steady_clock::time_point launched);

// Runs the game on `host` to its end and returns the exit status; where the
// platform's loop returns at once (a web page), the status reaches the page.
int RunGame(const RunOptions& options, std::unique_ptr<RunHost> host,
            std::chrono::steady_clock::time_point launched = std::chrono::steady_clock::now());

}  // namespace dv
