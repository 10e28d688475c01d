#pragma once
// A private copy of the game's installation, for tests that take a file away
// or damage it. The piece file, sounds and music are read beside the program,
// so the program itself is in the copy (SDL_GetBasePath then points there).
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <sys/wait.h>

#include "Binary.h"

namespace dv::e2e {

inline std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

// True when AddressSanitizer, LeakSanitizer or UBSan wrote a report.
inline bool SanitizerSpoke(const std::string& err) {
    for (const char* mark : {"AddressSanitizer", "LeakSanitizer", "UndefinedBehaviorSanitizer", "runtime error:"}) {
        if (err.find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// Where the game looks for a file: beside the program, or through the
// folder it was started in.
enum class Beside { Program, CurrentFolder };

struct GameFile {
    std::string name;  // relative to the folder it is read from
    Beside where;
};

inline void PrintTo(const GameFile& file, std::ostream* os) {
    *os << file.name;
}

// A program folder holding the program, its piece file and sounds, and a
// separate folder to start it from, holding the bitmaps. Each side also holds
// good copies of the files the game must NOT read from there, so a file read
// through the wrong folder shows up as a run that should have failed.
class Installation {
public:
    Installation() {
        namespace fs = std::filesystem;
        root_ = work_.Path() / "install";
        prog_ = root_ / "prog";
        cwd_ = root_ / "cwd";
        fs::create_directories(prog_);
        fs::create_directories(cwd_);
        std::error_code ec;
        fs::create_hard_link(OutDir / Game.program, Executable(), ec);
        if (ec) {
            fs::copy_file(OutDir / Game.program, Executable());
        }
        // The bundled fonts, where the build has them, are part of the
        // program folder too (the only fonts the web build can use).
        for (const char* sub : {"data", "sounds", "texture", "fonts"}) {
            if (!fs::exists(OutDir / sub)) {
                continue;
            }
            fs::create_directories(prog_ / sub);
            fs::create_directories(cwd_ / sub);
            for (const auto& entry : fs::directory_iterator(OutDir / sub)) {
                const fs::path name = fs::path(sub) / entry.path().filename();
                fs::create_symlink(entry.path(), prog_ / name);
                fs::create_symlink(entry.path(), cwd_ / name);
            }
        }
    }

    // The folder the run's own files (status, output, pids) go to.
    const WorkDir& Scratch() const { return work_; }
    const std::filesystem::path& Program() const { return prog_; }
    std::filesystem::path Executable() const { return prog_ / Game.program; }
    const std::filesystem::path& Current() const { return cwd_; }
    std::filesystem::path Folder(Beside where) const { return where == Beside::Program ? prog_ : cwd_; }

    // The file the game should read, replaced by `bytes`; nullopt removes it.
    void Replace(const GameFile& file, const std::optional<std::string>& bytes) const {
        const std::filesystem::path target = Folder(file.where) / file.name;
        std::filesystem::remove(target);  // only the link: the build's own file stays intact
        if (bytes) {
            WriteBytes(target, *bytes);
        }
    }

    // Runs the program headless from the current folder; returns its status.
    int Run(const std::string& args) const {
        const std::string command = "cd '" + cwd_.string() + "' && SDL_AUDIODRIVER=dummy " +
                                    Game.Command(Executable()) + " " + args + " >'" + (root_ / "stdout.txt").string() +
                                    "' 2>'" + (root_ / "stderr.txt").string() + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string Err() const { return AsLinuxText(ReadBytes(root_ / "stderr.txt")); }

private:
    WorkDir work_;
    std::filesystem::path root_;
    std::filesystem::path prog_;
    std::filesystem::path cwd_;
};

}  // namespace dv::e2e
