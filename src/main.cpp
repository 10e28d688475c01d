// Dravo Vantle!: picks the platform the flags ask for and runs the game.
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/RunHost.h"
#include "app/Runner.h"
#include "platform/Error.h"
#include "platform/os/Os.h"

int main(int argc, char** argv) {
    const auto launched = std::chrono::steady_clock::now();
    dv::os::UseParentConsole();
    const std::vector<std::string> args = dv::os::Utf8Arguments(argc, argv);
    std::vector<const char*> argPointers;
    for (const std::string& arg : args) {
        argPointers.push_back(arg.c_str());
    }
    const dv::ParsedCommandLine parsed =
        dv::ParseCommandLine(static_cast<int>(argPointers.size()), argPointers.data());
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
