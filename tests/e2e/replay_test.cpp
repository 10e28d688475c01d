// Replays of whole games through the real program, compared with the state
// they ended in when they were recorded. Set DV_UPDATE_GOLDEN=1 to record
// new expected dumps after a deliberate change.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "Binary.h"

namespace dv::e2e {
namespace {

void ExpectReplayEndsAsRecorded(const std::string& name, const std::string& extra = "") {
    WorkDir dir;
    const auto replay = FixtureDir / "replays" / (name + ".txt");
    const auto expectedFile = FixtureDir / "expected" / (name + ".json");
    const int status = dir.Run("--headless --fast --replay '" + replay.string() + "' --dump-state dump.json " + extra);
    ASSERT_EQ(status, 0) << dir.Read("stderr.txt");
    const nlohmann::json actual = nlohmann::json::parse(dir.Read("dump.json"));
    if (std::getenv("DV_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(expectedFile) << actual.dump(2) << "\n";
    }
    std::ifstream in(expectedFile);
    ASSERT_TRUE(in) << "no expected dump " << expectedFile;
    const nlohmann::json expected = nlohmann::json::parse(in);
    if (actual != expected) {
        std::ofstream(std::filesystem::path(expectedFile).replace_extension(".actual.json")) << actual.dump(2) << "\n";
    }
    EXPECT_EQ(actual.dump(2), expected.dump(2)) << name << ": actual dump written beside the expected one";
}

TEST(Replay, AGameWithClearsAPauseAndBothAnswersToTheEndGameQuestion) {
    ExpectReplayEndsAsRecorded("regression");
}

TEST(Replay, AGameLeftAloneEndsAndReturnsToTheIntroByItself) {
    ExpectReplayEndsAsRecorded("gameover");
}

// Ends just after three rows burst, so the cells' and labels' motion in
// floating point is part of every comparison between builds.
TEST(Replay, AGameStoppedWithCellsAndLabelsInFlight) {
    ExpectReplayEndsAsRecorded("burst");
}

TEST(Replay, ALongGameThroughEveryLevelBand) {
    ExpectReplayEndsAsRecorded("long");
}

}  // namespace
}  // namespace dv::e2e
