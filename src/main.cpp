// Dravo Vantle!: picks the platform the flags ask for and runs the game.
#include <chrono>
#include <iostream>

#include "app/CommandLine.h"
#include "app/RunHost.h"
#include "app/Runner.h"
#include "platform/Error.h"

int main(int argc, char** argv) {
    const auto launched = std::chrono::steady_clock::now();
    const dv::ParsedCommandLine parsed = dv::ParseCommandLine(argc, argv);
    if (parsed.exitStatus) {
        return *parsed.exitStatus;
    }
    const dv::RunOptions& options = parsed.options;
    try {
        auto host = dv::MakeSdlRunHost(options.headless, options.windowed);
        return dv::RunGame(options, std::move(host), launched);
    } catch (const dv::Error& e) {
        // Before the window exists there is nowhere to show a message but here.
        std::cerr << "dravo-vantle: " << e.Number() << " " << e.Description() << '\n';
        return 1;
    }
}
