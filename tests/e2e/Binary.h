#pragma once
// Runs the real program in a folder of its own, the way a player's desktop
// would start it: bitmaps and DEBUG.TXT through that folder, the rest beside
// the program.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "TempDir.h"

namespace dv::e2e {

// Which build of the game the suites start, read from the environment so the
// same tests run against another build (the Windows one under Wine):
//   DV_GAME_LAUNCHER  a command put before the program (e.g. "wine"); none by default
//   DV_GAME_DIR       the folder holding the program, data/, texture/, sounds/, fonts/
//   DV_GAME_PROGRAM   the program's file name in that folder
struct GameUnderTest {
    std::string launcher;
    std::filesystem::path dir;
    std::string program;

    // A Windows program names paths with drive letters and backslashes, ends
    // its text lines with CR LF and is known to the window system by its file name.
    bool Windows() const { return program.ends_with(".exe"); }
    std::string WindowClass() const { return Windows() ? program : "dravo-vantle"; }

    // The shell words that start `program` (the game's file, or a copy of it).
    std::string Command(const std::filesystem::path& file) const {
        return (launcher.empty() ? "" : launcher + " ") + "'" + file.string() + "'";
    }
    std::string Command() const { return Command(dir / program); }
};

inline GameUnderTest ReadGameUnderTest() {
    const auto env = [](const char* name, const char* otherwise) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr && *value != '\0' ? value : otherwise);
    };
    return {env("DV_GAME_LAUNCHER", ""), env("DV_GAME_DIR", DV_OUT_DIR), env("DV_GAME_PROGRAM", "dravo-vantle")};
}

inline const GameUnderTest Game = ReadGameUnderTest();
inline const std::filesystem::path OutDir = Game.dir;
inline const std::filesystem::path FixtureDir{DV_FIXTURE_DIR};

inline std::string FirstOutputLine(const std::string& command) {
    std::string line;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        if (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            line = buffer;
        }
        pclose(pipe);
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.pop_back();
    }
    return line;
}

// A path the way the program itself writes it: unchanged on Linux; for a
// Windows program under Wine, its drive form (Z:\tmp\...) as winepath gives it.
inline std::string AsProgramNames(const std::filesystem::path& path) {
    if (!Game.Windows()) {
        return path.string();
    }
    return FirstOutputLine("winepath -w '" + path.string() + "' 2>/dev/null");
}

// A path relative to a folder the program names, with the program's separator.
inline std::string AsProgramNamesRelative(const std::string& relative) {
    std::string out = relative;
    if (Game.Windows()) {
        std::replace(out.begin(), out.end(), '/', '\\');
    }
    return out;
}

// Text the program printed, with the CR LF line ends of a Windows program as
// LF, so the same expectations read the output of either build. Files the
// game writes as CR LF on purpose (DEBUG.TXT) are read as they are.
inline std::string AsLinuxText(std::string text) {
    if (!Game.Windows()) {
        return text;
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            out += text[i];
        }
    }
    return out;
}

class WorkDir : public test::TempDir {
public:
    WorkDir() {
        if (std::filesystem::exists(OutDir / "texture")) {
            std::filesystem::create_directory_symlink(OutDir / "texture", Path() / "texture");
        }
    }

    std::filesystem::path operator/(const std::string& name) const { return Path() / name; }

    // Runs the program with `args` in this folder; returns its exit status.
    int Run(const std::string& args, const std::string& env = "SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy") const {
        const std::string command = "cd '" + Path().string() + "' && " + env + " " + Game.Command() + " " + args +
                                    " >'" + (Path() / "stdout.txt").string() + "' 2>'" +
                                    (Path() / "stderr.txt").string() + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(Path() / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        const bool printed = name == "stdout.txt" || name == "stderr.txt" || name == "out.txt" || name == "err.txt";
        return printed ? AsLinuxText(text.str()) : text.str();
    }
};

}  // namespace dv::e2e
