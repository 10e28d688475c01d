#include "app/CommandLine.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <limits>
#include <string_view>

#include "platform/os/Utf8Path.h"

namespace dv {
namespace {

constexpr const char* kProgram = "dravo-vantle";
constexpr const char* kSummary = "Dravo Vantle! - a falling-block puzzle game";

// Where the flags land before they are checked and copied into RunOptions.
struct FlagValues {
    RunOptions options;
    std::string replay;
    std::string record;
    std::string dump;
    std::string ticks;
    std::vector<std::string> screenshots;
};

// The one list of flags: parsing, --help and the manual page all read it.
// Numbers are taken as text and checked here, so that a bad one is
// explained in words rather than with CLI11's range in full decimals.
void DeclareFlags(CLI::App& app, FlagValues& v) {
    app.set_version_flag("--version", std::string(kProgram) + " " + DV_VERSION, "Print the version and exit");
    app.set_help_flag("-h,--help", "Print this help and exit");
    RunOptions& o = v.options;
    // The validator's own name would be added to the argument's ("FILE:FILE").
    // The arguments are UTF-8; CLI11's own file check would read the name
    // in the system's code page, which is not UTF-8 everywhere.
    const CLI::Validator existing(
        [](std::string& name) -> std::string {
            std::error_code ec;
            const auto status = std::filesystem::status(PathFromUtf8(name), ec);
            if (!std::filesystem::exists(status)) {
                return "File does not exist: " + name;
            }
            if (std::filesystem::is_directory(status)) {
                return "File is actually a directory: " + name;
            }
            return {};
        },
        "");
    app.add_flag("--headless", o.headless, "No window and no keyboard: keys come from --replay");
    app.add_flag("--windowed", o.windowed, "An 800x600 window instead of the full screen");
    app.add_option("--replay", v.replay, "Keys from a replay file (TICK CODE CODE ... per line)")
        ->type_name("FILE")
        ->check(existing);
    app.add_option("--record", v.record, "Write the keys of this run to a replay file")->type_name("FILE");
    app.add_option("--ticks", v.ticks, "End after N ticks (a tick is 10 ms of game time)")->type_name("N");
    app.add_flag("--fast", o.fast, "Run ticks back to back, without waiting for the clock");
    app.add_option("--dump-state", v.dump, "Write the game state as JSON when the program ends")->type_name("FILE");
    app.add_option("--screenshot", v.screenshots, "Save the screen after tick TICK's frame as PNG; may be repeated")
        ->type_name("TICK:FILE");
    app.add_flag("--timedemo", o.timedemo, "With --replay: run as fast as possible and print the timing");
    app.add_flag("--tick-stats", o.tickStats, "Print the real-time tick accuracy at exit");
}

// A count of ticks: a whole number from 1, in plain decimal digits.
struct WholeNumber {
    std::optional<std::uint64_t> value;
    bool tooLarge = false;
};

WholeNumber ParseWholeFromOne(std::string_view text) {
    WholeNumber n;
    std::uint64_t value = 0;
    const char* last = text.data() + text.size();
    const auto [end, ec] = std::from_chars(text.data(), last, value);
    if (end != last) {
        return n;
    }
    if (ec == std::errc::result_out_of_range) {
        n.tooLarge = true;
    } else if (ec == std::errc() && value >= 1) {
        n.value = value;
    }
    return n;
}

// What was wanted, said so that a number past the top learns where the top is.
std::string WholeNumberWanted(const WholeNumber& n) {
    std::string wanted = "a whole number from 1";
    if (n.tooLarge) {
        wanted += " to " + std::to_string(std::numeric_limits<std::uint64_t>::max());
    }
    return wanted;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
    ParsedCommandLine parsed;
    CLI::App app{kSummary, kProgram};
    FlagValues v;
    DeclareFlags(app, v);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        parsed.exitStatus = app.exit(e);
        return parsed;
    } catch (const CLI::CallForVersion& e) {
        parsed.exitStatus = app.exit(e);
        return parsed;
    } catch (const CLI::ParseError& e) {
        std::cerr << kProgram << ": " << e.what() << '\n';
        parsed.exitStatus = 2;
        return parsed;
    }
    const auto refuse = [&parsed](const std::string& message) {
        std::cerr << kProgram << ": " << message << '\n';
        parsed.exitStatus = 2;
        return parsed;
    };
    RunOptions& o = v.options;
    if (!v.replay.empty()) {
        o.replay = PathFromUtf8(v.replay);
    }
    if (!v.record.empty()) {
        o.record = PathFromUtf8(v.record);
    }
    if (!v.dump.empty()) {
        o.dumpState = PathFromUtf8(v.dump);
    }
    if (app.count("--ticks") > 0) {
        const WholeNumber ticks = ParseWholeFromOne(v.ticks);
        if (!ticks.value) {
            return refuse("--ticks: " + WholeNumberWanted(ticks) + ", not '" + v.ticks + "'");
        }
        o.ticks = *ticks.value;
    }
    for (const std::string& s : v.screenshots) {
        const auto colon = s.find(':');
        const WholeNumber tick = ParseWholeFromOne(std::string_view(s).substr(0, colon));
        if (colon == std::string::npos || colon + 1 >= s.size() || !tick.value) {
            return refuse("--screenshot: TICK:FILE with TICK " + WholeNumberWanted(tick) + ", not '" + s + "'");
        }
        o.screenshots.push_back(ScreenshotRequest{*tick.value, PathFromUtf8(s.substr(colon + 1))});
    }
    if (o.timedemo) {
        o.fast = true;
    }
    parsed.options = o;
    return parsed;
}

CommandLineHelp DescribeCommandLine() {
    CLI::App app{kSummary, kProgram};
    FlagValues v;
    DeclareFlags(app, v);
    CommandLineHelp help{kProgram, kSummary, {}};
    for (const CLI::Option* option : app.get_options()) {
        // Every flag here has a long name; help's short -h rides along with it.
        std::string name;
        for (const std::string& s : option->get_snames()) {
            name += "-" + s + ", ";
        }
        for (const std::string& l : option->get_lnames()) {
            name += "--" + l;
        }
        help.flags.push_back(FlagHelp{name, option->get_type_name(), option->get_description()});
    }
    return help;
}

}  // namespace dv
