// Dravo Vantle!: picks the platform the flags ask for and runs the game.
#include <SDL.h>

#include <filesystem>
#include <iostream>

#include "app/CommandLine.h"
#include "app/RunHost.h"
#include "app/Runner.h"

namespace {

std::filesystem::path ProgramDirectory(const char* argv0) {
    if (char* base = SDL_GetBasePath()) {
        std::filesystem::path dir(base);
        SDL_free(base);
        return dir;
    }
    return std::filesystem::absolute(argv0).parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    const dv::ParsedCommandLine parsed = dv::ParseCommandLine(argc, argv);
    if (parsed.exitStatus) {
        return *parsed.exitStatus;
    }
    const dv::RunOptions& options = parsed.options;
    const std::filesystem::path programDir = ProgramDirectory(argv[0]);
    if (!options.headless) {
        std::cerr << "dravo-vantle: this build runs only with --headless\n";
        return 1;
    }
    auto host = dv::MakeHeadlessRunHost(programDir);
    return dv::RunGame(options, *host);
}
