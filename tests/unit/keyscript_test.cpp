// The replay format: read, refused with a line number, written back.
#include <gtest/gtest.h>

#include <sstream>

#include "app/RecordingKeyboard.h"
#include "TempDir.h"
#include "platform/headless/KeyScript.h"
#include "platform/headless/ScriptedKeyboard.h"

namespace dv::test {
namespace {

KeyScript Parse(const std::string& text) {
    std::istringstream in(text);
    return ParseKeyScript(in);
}

int ErrorLine(const std::string& text) {
    try {
        Parse(text);
    } catch (const KeyScriptError& e) {
        return e.Line();
    }
    return 0;
}

TEST(KeyScript, ReadsLinesCommentsAndDuplicates) {
    const KeyScript s = Parse("# a game\n\n5 57 57\n9   # nothing down\n12 203 208\n");
    ASSERT_EQ(s.lines.size(), 3u);
    EXPECT_EQ(s.lines[0].tick, 5u);
    EXPECT_EQ(s.lines[0].codes, (std::vector<std::uint8_t>{57, 57}));
    EXPECT_TRUE(s.lines[1].codes.empty());
    EXPECT_EQ(s.LastTick(), 12u);
}

TEST(KeyScript, RefusesMalformedLinesNamingThem) {
    EXPECT_EQ(ErrorLine("0 57\n"), 1) << "ticks count from 1";
    EXPECT_EQ(ErrorLine("3 57\n3 1\n"), 2) << "ticks strictly increase";
    EXPECT_EQ(ErrorLine("3 57\n2 1\n"), 2);
    EXPECT_EQ(ErrorLine("\n\n4 256\n"), 3) << "codes are 0..255";
    EXPECT_EQ(ErrorLine("4 -1\n"), 1);
    EXPECT_EQ(ErrorLine("4 5x\n"), 1);
    EXPECT_EQ(ErrorLine("x\n"), 1);
    EXPECT_EQ(ErrorLine("99999999999999999999999 1\n"), 1);
}

TEST(KeyScript, AScriptedKeyboardPlaysItAndARecorderWritesItBack) {
    ScriptedKeyboard keys(Parse("2 57\n4 57 203\n6\n"));
    TempDir dir;
    const auto file = dir.Path() / "rec.txt";
    {
        RecordingKeyboard recorder(keys, file);
        KeyboardState state{};
        for (std::uint64_t tick = 1; tick <= 8; ++tick) {
            keys.SetTick(tick);
            recorder.SetTick(tick);
            recorder.GetDeviceStateKeyboard(state);
            EXPECT_EQ(state[57] != 0, tick >= 2 && tick < 6) << "tick " << tick;
            EXPECT_EQ(state[203] != 0, tick >= 4 && tick < 6) << "tick " << tick;
        }
    }
    std::ifstream in(file);
    const KeyScript back = ParseKeyScript(in);
    ASSERT_EQ(back.lines.size(), 3u);
    EXPECT_EQ(back.lines[1].tick, 4u);
    EXPECT_EQ(back.lines[1].codes, (std::vector<std::uint8_t>{57, 203}));
    EXPECT_TRUE(back.lines[2].codes.empty());
}

}  // namespace
}  // namespace dv::test
