#pragma once
#include <chrono>

#include "app/CommandLine.h"
#include "app/RunHost.h"

namespace dv {

// Runs the game on `host` as the options say; returns the exit status
// (0 normal end or quit, 1 start-up or tick failure, 2 bad replay).
// `launched` is when the program started, for the start-up time it reports.
int RunGame(const RunOptions& options, RunHost& host,
            std::chrono::steady_clock::time_point launched = std::chrono::steady_clock::now());

}  // namespace dv
