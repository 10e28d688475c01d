#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>

namespace dv {
namespace {

std::optional<ScreenshotRequest> ParseScreenshot(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 >= text.size()) {
        return std::nullopt;
    }
    ScreenshotRequest request;
    const char* begin = text.data();
    const auto [end, ec] = std::from_chars(begin, begin + colon, request.tick);
    if (ec != std::errc() || end != begin + colon || request.tick < 1) {
        return std::nullopt;
    }
    request.file = text.substr(colon + 1);
    return request;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    RunOptions& o = parsed.options;
    CLI::App app{"Dravo Vantle! - a falling-block puzzle game", "dravo-vantle"};
    app.set_version_flag("--version", std::string("dravo-vantle ") + DV_VERSION);
    app.add_flag("--headless", o.headless, "No window and no keyboard: keys come from --replay");
    app.add_flag("--windowed", o.windowed, "An 800x600 window instead of the full screen");
    std::string replay;
    std::string record;
    std::string dump;
    std::uint64_t ticks = 0;
    std::vector<std::string> screenshots;
    app.add_option("--replay", replay, "Keys from a replay file (TICK CODE CODE ... per line)")->check(CLI::ExistingFile);
    app.add_option("--record", record, "Write the keys of this run to a replay file");
    app.add_option("--ticks", ticks, "End after N ticks")->check(CLI::PositiveNumber);
    app.add_flag("--fast", o.fast, "Run ticks back to back, without waiting for the clock");
    app.add_option("--dump-state", dump, "Write the game state as JSON when the program ends");
    app.add_option("--screenshot", screenshots, "TICK:FILE - save the screen after that tick's frame as PNG");
    app.add_flag("--timedemo", o.timedemo, "With --replay: run as fast as possible and print the timing");
    app.add_flag("--tick-stats", o.tickStats, "Print the real-time tick accuracy at exit");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        parsed.exitStatus = app.exit(e);
        return parsed;
    } catch (const CLI::CallForVersion& e) {
        parsed.exitStatus = app.exit(e);
        return parsed;
    } catch (const CLI::ParseError& e) {
        std::cerr << "dravo-vantle: " << e.what() << '\n';
        parsed.exitStatus = 2;
        return parsed;
    }
    if (!replay.empty()) {
        o.replay = replay;
    }
    if (!record.empty()) {
        o.record = record;
    }
    if (!dump.empty()) {
        o.dumpState = dump;
    }
    if (app.count("--ticks") > 0) {
        o.ticks = ticks;
    }
    for (const std::string& s : screenshots) {
        auto request = ParseScreenshot(s);
        if (!request) {
            std::cerr << "dravo-vantle: --screenshot wants TICK:FILE with TICK from 1, not '" << s << "'\n";
            parsed.exitStatus = 2;
            return parsed;
        }
        o.screenshots.push_back(*request);
    }
    if (o.timedemo) {
        o.fast = true;
    }
    return parsed;
}

}  // namespace dv
