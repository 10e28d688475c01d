// The flags' contracts: statuses, refusals and what ends a run.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <utility>

#include "Binary.h"

namespace dv::e2e {
namespace {

TEST(CommandLine, HelpVersionAndBadFlags) {
    WorkDir dir;
    EXPECT_EQ(dir.Run("--help"), 0);
    EXPECT_NE(dir.Read("stdout.txt").find("--replay"), std::string::npos);
    EXPECT_EQ(dir.Run("--version"), 0);
    EXPECT_NE(dir.Read("stdout.txt").find("dravo-vantle"), std::string::npos);
    EXPECT_EQ(dir.Run("--no-such-flag"), 2);
}

// A bad number is refused in words, naming the flag and what it got; the
// library's own message printed its range as two 300-digit decimals.
TEST(CommandLine, BadNumbersAreRefusedInWords) {
    WorkDir dir;
    const std::string whole = "a whole number from 1";
    const std::string top = whole + " to 18446744073709551615";
    const std::pair<std::string, std::string> cases[] = {
        {"--ticks 0", "--ticks: " + whole + ", not '0'"},
        {"--ticks -1", "--ticks: " + whole + ", not '-1'"},
        {"--ticks 2.5", "--ticks: " + whole + ", not '2.5'"},
        {"--ticks 12abc", "--ticks: " + whole + ", not '12abc'"},
        {"--ticks ''", "--ticks: " + whole + ", not ''"},
        {"--ticks 18446744073709551616", "--ticks: " + top + ", not '18446744073709551616'"},
        {"--screenshot 0:a.png", "--screenshot: TICK:FILE with TICK " + whole + ", not '0:a.png'"},
        {"--screenshot nonsense", "--screenshot: TICK:FILE with TICK " + whole + ", not 'nonsense'"},
        {"--screenshot 5:", "--screenshot: TICK:FILE with TICK " + whole + ", not '5:'"},
        {"--screenshot 99999999999999999999:a.png",
         "--screenshot: TICK:FILE with TICK " + top + ", not '99999999999999999999:a.png'"},
    };
    for (const auto& [args, message] : cases) {
        EXPECT_EQ(dir.Run("--headless --fast " + args), 2) << args;
        EXPECT_EQ(dir.Read("stderr.txt"), "dravo-vantle: " + message + "\n") << args;
    }
    // The largest count is still a count; the replay quits at tick 20.
    std::ofstream(dir / "quit.txt") << "10 1\n12\n20 31\n";
    EXPECT_EQ(dir.Run("--headless --fast --replay quit.txt --ticks 18446744073709551615"), 0)
        << dir.Read("stderr.txt");
}

TEST(CommandLine, AMalformedReplayIsRefusedBeforeAnythingRuns) {
    WorkDir dir;
    std::ofstream(dir / "bad.txt") << "# fine\n5 57\n3 1\n";
    EXPECT_EQ(dir.Run("--headless --fast --replay bad.txt --dump-state dump.json"), 2);
    EXPECT_NE(dir.Read("stderr.txt").find("line 3"), std::string::npos) << dir.Read("stderr.txt");
    EXPECT_FALSE(std::filesystem::exists(dir / "dump.json"));
}

TEST(CommandLine, TicksEndTheRunAndQuittingEndsItAtOnce) {
    WorkDir dir;
    ASSERT_EQ(dir.Run("--headless --fast --ticks 250 --dump-state dump.json"), 0) << dir.Read("stderr.txt");
    auto dump = nlohmann::json::parse(dir.Read("dump.json"));
    EXPECT_EQ(dump["ticks"], 250);
    EXPECT_EQ(dump["TickCount"], 250);
    EXPECT_EQ(dump["GameState"], 3);
    EXPECT_EQ(dump["Well"].size(), 26u);

    // Escape released in the intro, then S: the program ends on that tick.
    std::ofstream(dir / "quit.txt") << "10 1\n12\n20 31\n";
    ASSERT_EQ(dir.Run("--headless --fast --replay quit.txt --ticks 1000 --dump-state dump.json"), 0);
    dump = nlohmann::json::parse(dir.Read("dump.json"));
    EXPECT_EQ(dump["ticks"], 20);
    EXPECT_EQ(dump["GameState"], 6);
}

TEST(CommandLine, AStartUpFailureIsLoggedShownAndEndsWithStatusOne) {
    WorkDir dir;
    std::filesystem::remove(dir / "texture");
    EXPECT_EQ(dir.Run("--headless --fast --ticks 10 --dump-state dump.json"), 1);
    EXPECT_NE(dir.Read("stderr.txt").find("53"), std::string::npos);
    EXPECT_NE(dir.Read("DEBUG.TXT").find(AsProgramNamesRelative("texture/texBlu.bmp")), std::string::npos);
    const auto dump = nlohmann::json::parse(dir.Read("dump.json"));
    EXPECT_EQ(dump["ticks"], 0);
}

TEST(CommandLine, RecordingAReplayedRunGivesTheSameKeysBack) {
    WorkDir dir;
    const auto replay = FixtureDir / "replays" / "regression.txt";
    ASSERT_EQ(dir.Run("--headless --fast --replay '" + replay.string() + "' --record again.txt --dump-state a.json"), 0);
    ASSERT_EQ(dir.Run("--headless --fast --replay again.txt --ticks " +
                      std::to_string(nlohmann::json::parse(dir.Read("a.json"))["ticks"].get<int>()) +
                      " --dump-state b.json"),
              0);
    EXPECT_EQ(nlohmann::json::parse(dir.Read("a.json")), nlohmann::json::parse(dir.Read("b.json")));
}

}  // namespace
}  // namespace dv::e2e
