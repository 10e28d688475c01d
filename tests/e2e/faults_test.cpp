// Every file the game reads, taken away or cut short in turn. A player whose
// installation lost or damaged a file must be told which one, and the game
// must end cleanly: one line in DEBUG.TXT, the message with its number first,
// status 1, no crash and nothing for the sanitizers to report.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "Installation.h"

namespace dv::e2e {
namespace {

namespace fs = std::filesystem;

const std::vector<GameFile>& FilesTheGameReads() {
    static const std::vector<GameFile> files = [] {
        std::vector<GameFile> list{{"data/PezziVantle.txt", Beside::Program}};
        for (const char* bmp : {"texBlu", "texVerde", "texRossa", "texGialla", "texAzzurra", "texArancione",
                                "texPisello", "gameover", "bordocampo", "sfondopunti", "100", "400", "900", "1600",
                                "intro1tex", "intro2tex", "bordostatistiche", "bgk1tex", "bgk2tex", "bgk3tex",
                                "bgk4tex"}) {
            list.push_back({std::string("texture/") + bmp + ".bmp", Beside::CurrentFolder});
        }
        for (const char* wav : {"DOING.WAV", "BLAST2.WAV", "klaxon2.wav", "UH-OH_BE.WAV", "Drum.wav", "RAP_INTR.WAV",
                                "GREAT_B.WAV", "good.wav"}) {
            list.push_back({std::string("sounds/") + wav, Beside::Program});
        }
        return list;
    }();
    return files;
}

const std::string kMusic = "sounds/vantle1.mp3";

const std::string kHeadless = "--headless --fast --ticks 50 --dump-state d.json";

// The line DEBUG.TXT holds, without its quotes and CR LF; fails the test
// unless there is exactly one.
std::string OnlyLoggedLine(const fs::path& debugTxt) {
    const std::string log = ReadBytes(debugTxt);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_GE(log.size(), 4u);
    if (log.size() < 4 || log.front() != '"' || log.substr(log.size() - 3) != "\"\r\n") {
        ADD_FAILURE() << "not one quoted line ending in CR LF: " << log;
        return {};
    }
    return log.substr(1, log.size() - 4);
}

// The message as shown: the number, a line break, the description.
bool Shows(const std::string& err, int number, const std::string& description) {
    for (const char* br : {"\n", "\r\n"}) {
        const std::string shown = std::to_string(number) + br + description + "\n";
        const auto at = err.find(shown);
        if (at != std::string::npos && (at == 0 || err[at - 1] == '\n')) {
            return true;
        }
    }
    return false;
}

enum class Damage { Missing, CutInHalf };

struct FaultCase {
    GameFile file;
    Damage damage;
    std::vector<int> numbers;  // the error numbers that fit this fault
    std::string label;
};

std::vector<FaultCase> EveryFileMissingThenCut() {
    std::vector<FaultCase> cases;
    for (const GameFile& f : FilesTheGameReads()) {
        std::string label = f.name;
        std::replace_if(label.begin(), label.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); },
                        '_');
        cases.push_back({f, Damage::Missing, {53}, "Missing_" + label});
        // Half a piece file ends inside a piece: a short line or a read past the end.
        const std::vector<int> cut = f.name.ends_with(".txt") ? std::vector<int>{13, 62} : std::vector<int>{75};
        cases.push_back({f, Damage::CutInHalf, cut, "CutInHalf_" + label});
    }
    return cases;
}

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.label;
}

class AFileTheGameReads : public testing::TestWithParam<FaultCase> {};

TEST_P(AFileTheGameReads, MissingOrCutShortIsNamedOnceShownAndEndsWithStatusOne) {
    const FaultCase& c = GetParam();
    Installation inst;
    if (c.damage == Damage::Missing) {
        inst.Replace(c.file, std::nullopt);
    } else {
        const std::string whole = ReadBytes(OutDir / c.file.name);
        ASSERT_GT(whole.size(), 2u);
        inst.Replace(c.file, whole.substr(0, whole.size() / 2));
    }

    ASSERT_EQ(inst.Run(kHeadless), 1) << inst.Err();
    const std::string err = inst.Err();
    EXPECT_FALSE(SanitizerSpoke(err)) << err;

    const std::string line = OnlyLoggedLine(inst.Current() / "DEBUG.TXT");
    EXPECT_NE(line.find(AsProgramNamesRelative(c.file.name)), std::string::npos) << line;
    if (c.file.where == Beside::Program) {
        // The program's own copy, not the one in the current folder.
        EXPECT_NE(line.find(AsProgramNames(fs::canonical(inst.Program()) / c.file.name)), std::string::npos) << line;
    }
    EXPECT_FALSE(fs::exists(inst.Program() / "DEBUG.TXT")) << "DEBUG.TXT belongs in the current folder";

    EXPECT_TRUE(std::any_of(c.numbers.begin(), c.numbers.end(), [&](int n) { return Shows(err, n, line); }))
        << "expected the number, a line break and \"" << line << "\" in:\n"
        << err;

    // Start-up failed, so no tick ran; the dump is still written.
    const auto dump = nlohmann::json::parse(ReadBytes(inst.Current() / "d.json"), nullptr, false);
    ASSERT_FALSE(dump.is_discarded());
    EXPECT_EQ(dump["ticks"], 0);
}

INSTANTIATE_TEST_SUITE_P(Faults, AFileTheGameReads, testing::ValuesIn(EveryFileMissingThenCut()),
                         [](const testing::TestParamInfo<FaultCase>& info) { return info.param.label; });

TEST(Faults, TheTableCoversEveryFileTheBuildInstallsExceptTheMusic) {
    std::set<std::string> listed;
    for (const GameFile& f : FilesTheGameReads()) {
        listed.insert(f.name);
    }
    std::set<std::string> installed;
    for (const char* sub : {"data", "sounds", "texture"}) {
        for (const auto& entry : fs::directory_iterator(OutDir / sub)) {
            const std::string name = (fs::path(sub) / entry.path().filename()).generic_string();
            if (name != kMusic) {
                installed.insert(name);
            }
        }
    }
    EXPECT_EQ(listed, installed);
}

TEST(Faults, APieceFileWithALetterInACellLineIsNamedShownAndEndsWithStatusOne) {
    Installation inst;
    std::string text = ReadBytes(OutDir / "data/PezziVantle.txt");
    // The first cell line is the third line; put a letter in its third column.
    std::size_t at = 0;
    for (int line = 1; line < 3; ++line) {
        at = text.find('\n', at) + 1;
    }
    ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(text[at + 2])));
    text[at + 2] = 'x';
    inst.Replace(FilesTheGameReads().front(), text);

    ASSERT_EQ(inst.Run(kHeadless), 1) << inst.Err();
    const std::string err = inst.Err();
    EXPECT_FALSE(SanitizerSpoke(err)) << err;
    const std::string line = OnlyLoggedLine(inst.Current() / "DEBUG.TXT");
    EXPECT_NE(line.find(AsProgramNamesRelative("data/PezziVantle.txt")), std::string::npos) << line;
    EXPECT_TRUE(Shows(err, 13, line)) << err;
}

// DEBUG.TXT cannot be written when a folder of that name is in the way; the
// player must still see the message and the program must still fail.
TEST(Faults, WhenDEBUGTXTCannotBeWrittenTheMessageStillShowsAndTheStatusIsOne) {
    for (const GameFile& file : {FilesTheGameReads()[0], FilesTheGameReads()[1], FilesTheGameReads().back()}) {
        SCOPED_TRACE(file.name);
        Installation inst;
        inst.Replace(file, std::nullopt);
        fs::create_directory(inst.Current() / "DEBUG.TXT");

        ASSERT_EQ(inst.Run(kHeadless), 1) << inst.Err();
        const std::string err = inst.Err();
        EXPECT_FALSE(SanitizerSpoke(err)) << err;
        const auto number = err.find("53\n");
        ASSERT_NE(number, std::string::npos) << err;
        EXPECT_NE(err.find(AsProgramNamesRelative(file.name), number), std::string::npos) << err;
        EXPECT_TRUE(fs::is_directory(inst.Current() / "DEBUG.TXT"));
        EXPECT_TRUE(fs::is_empty(inst.Current() / "DEBUG.TXT"));
    }
}

// The music is optional: missing or unreadable, the game plays on in silence.
// The replay starts a game (Space), turns the music on (M) and plays on long
// enough for the game's checks of the track's end to run a few times.
enum class MusicDamage { Missing, Empty, CutInHalf, Garbage, HeaderThenGarbage };

std::string Garbage(std::size_t n) {
    std::mt19937 random(1234);
    std::string bytes(n, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(random() & 0xFF);
    }
    return bytes;
}

class BrokenMusic : public testing::TestWithParam<MusicDamage> {};

TEST_P(BrokenMusic, TheGamePlaysOnSilently) {
    Installation inst;
    const GameFile music{kMusic, Beside::Program};
    const std::string whole = ReadBytes(OutDir / kMusic);
    ASSERT_GT(whole.size(), 4096u);
    switch (GetParam()) {
        case MusicDamage::Missing: inst.Replace(music, std::nullopt); break;
        case MusicDamage::Empty: inst.Replace(music, std::string()); break;
        case MusicDamage::CutInHalf: inst.Replace(music, whole.substr(0, whole.size() / 2)); break;
        case MusicDamage::Garbage: inst.Replace(music, Garbage(whole.size())); break;
        case MusicDamage::HeaderThenGarbage:
            inst.Replace(music, whole.substr(0, 4096) + Garbage(whole.size() - 4096));
            break;
    }
    // Down held from tick 30 drops the pieces quickly.
    WriteBytes(inst.Current() / "music.txt", "5 57\n7\n20 50\n22\n30 208\n");

    ASSERT_EQ(inst.Run("--headless --fast --replay music.txt --ticks 450 --dump-state d.json"), 0) << inst.Err();
    EXPECT_FALSE(SanitizerSpoke(inst.Err())) << inst.Err();
    EXPECT_FALSE(fs::exists(inst.Current() / "DEBUG.TXT")) << ReadBytes(inst.Current() / "DEBUG.TXT");
    const auto dump = nlohmann::json::parse(ReadBytes(inst.Current() / "d.json"));
    EXPECT_EQ(dump["ticks"], 450);
    EXPECT_EQ(dump["GameState"], 1) << "still playing";
    EXPECT_NE(dump["MusicOn"], 0) << "M was taken";
    int pieces = 0;
    for (const auto& n : dump["PieceStats"]) {
        pieces += n.get<int>();
    }
    EXPECT_GE(pieces, 2) << "pieces fell and locked";
}

INSTANTIATE_TEST_SUITE_P(Faults, BrokenMusic,
                         testing::Values(MusicDamage::Missing, MusicDamage::Empty, MusicDamage::CutInHalf,
                                         MusicDamage::Garbage, MusicDamage::HeaderThenGarbage),
                         [](const testing::TestParamInfo<MusicDamage>& info) {
                             switch (info.param) {
                                 case MusicDamage::Missing: return "Missing";
                                 case MusicDamage::Empty: return "Empty";
                                 case MusicDamage::CutInHalf: return "CutInHalf";
                                 case MusicDamage::Garbage: return "Garbage";
                                 case MusicDamage::HeaderThenGarbage: return "HeaderThenGarbage";
                             }
                             return "Unknown";
                         });

}  // namespace
}  // namespace dv::e2e
