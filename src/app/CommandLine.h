#pragma once
// The flags, for people and for tests. Without any the game runs as it
// always did: full screen, real time, keys from the keyboard.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dv {

struct ScreenshotRequest {
    std::uint64_t tick = 0;
    std::filesystem::path file;
};

struct RunOptions {
    bool headless = false;
    bool windowed = false;
    std::optional<std::filesystem::path> replay;
    std::optional<std::filesystem::path> record;
    std::optional<std::uint64_t> ticks;
    bool fast = false;
    std::optional<std::filesystem::path> dumpState;
    std::vector<ScreenshotRequest> screenshots;
    bool timedemo = false;
    bool tickStats = false;
};

struct ParsedCommandLine {
    RunOptions options;
    // Set when the program should end at once (help, version, a bad flag).
    std::optional<int> exitStatus;
};

// Prints help, the version or one line about a bad flag as it goes.
ParsedCommandLine ParseCommandLine(int argc, const char* const* argv);

// One flag as --help shows it; the manual page is written from these so
// that the two never disagree.
struct FlagHelp {
    std::string name;      // "--ticks"
    std::string argument;  // "N", "FILE"; empty for a flag that takes none
    std::string description;
};

struct CommandLineHelp {
    std::string program;
    std::string summary;
    std::vector<FlagHelp> flags;
};

CommandLineHelp DescribeCommandLine();

}  // namespace dv
