#pragma once
#include "app/CommandLine.h"
#include "app/RunHost.h"

namespace dv {

// Runs the game on `host` as the options say; returns the exit status
// (0 normal end or quit, 1 start-up or tick failure, 2 bad replay).
int RunGame(const RunOptions& options, RunHost& host);

}  // namespace dv
