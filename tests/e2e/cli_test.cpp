// The flags' contracts: statuses, refusals and what ends a run.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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
    EXPECT_EQ(dir.Run("--headless --ticks 0"), 2);
    EXPECT_EQ(dir.Run("--headless --screenshot nonsense"), 2);
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
    EXPECT_NE(dir.Read("DEBUG.TXT").find("texture/texBlu.bmp"), std::string::npos);
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
