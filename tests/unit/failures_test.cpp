// Failures end the game the way start-up failures always did: a line in
// DEBUG.TXT, the number and description shown, and nothing more runs.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "TestGame.h"
#include "game/modDebug.h"

namespace dv::test {
namespace {

std::string ReadAll(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Failures, DebugLogAppendsQuotedLinesWithCarriageReturns) {
    TempDir dir;
    EXPECT_TRUE(DebugLog("primo", dir.Path()));
    EXPECT_TRUE(DebugLog("secondo", dir.Path()));
    EXPECT_EQ(ReadAll(dir.Path() / "DEBUG.TXT"), "\"primo\"\r\n\"secondo\"\r\n");
    // A folder standing in the way is reported, not thrown.
    std::filesystem::create_directories(dir.Path() / "blocked" / "DEBUG.TXT");
    EXPECT_FALSE(DebugLog("terzo", dir.Path() / "blocked"));
}

TEST(Failures, AMissingPieceFileStopsStartUpWithTheTimerOff) {
    TempDir dir;
    TestGame t(dir.Path(), dir.Path());
    EXPECT_FALSE(t.loaded);
    EXPECT_FALSE(t.form.TimerEnabled());
    ASSERT_EQ(t.window.Messages().size(), 1u);
    const std::string expectedPath = (dir.Path() / "data" / "PezziVantle.txt").string();
    EXPECT_EQ(t.window.Messages()[0], "53\r\nFile non trovato: " + expectedPath);
    EXPECT_EQ(ReadAll(dir.Path() / "DEBUG.TXT"), "\"File non trovato: " + expectedPath + "\"\r\n");
    t.Tick(10);
    EXPECT_EQ(t.g().TickCount, 0) << "no tick ever runs";
    EXPECT_EQ(t.window.CursorCount(), -1);
}

TEST(Failures, APieceFileBrokenBetweenGamesEndsTheProgramCleanly) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "data");
    const auto file = dir.Path() / "data" / "PezziVantle.txt";
    std::filesystem::copy_file(std::filesystem::path(DV_SOURCE_DIR) / "data" / "PezziVantle.txt", file);
    TestGame t(dir.Path(), dir.Path());
    ASSERT_TRUE(t.loaded);
    std::ofstream(file, std::ios::trunc) << "Pezzo 1\nRotazione 1\n1x00\n";
    t.StartGame();
    ASSERT_TRUE(t.form.EndStatus().has_value());
    EXPECT_EQ(*t.form.EndStatus(), 1);
    ASSERT_EQ(t.window.Messages().size(), 1u);
    EXPECT_EQ(t.window.Messages()[0].substr(0, 4), "13\r\n");
    EXPECT_NE(ReadAll(dir.Path() / "DEBUG.TXT").find("riga 3"), std::string::npos);
}

TEST(Failures, ADeviceThatFailsAtStartUpIsShownWithItsNumber) {
    TempDir dir;
    HeadlessWindowSystem window(DV_SOURCE_DIR);
    ScriptedKeyboard keys;
    RecordingRenderDevice render(true);  // the texture files are required and absent
    RecordingSoundDevice sound;
    RecordingMediaSystem media;
    Form1 form(Platform{window, keys, render, sound, media}, dir.Path());
    EXPECT_FALSE(form.Form_Load());
    ASSERT_EQ(window.Messages().size(), 1u);
    EXPECT_EQ(window.Messages()[0], "53\r\nFile non trovato: texture/texBlu.bmp");
    EXPECT_FALSE(sound.Created()) << "later steps are abandoned";
}

}  // namespace
}  // namespace dv::test
