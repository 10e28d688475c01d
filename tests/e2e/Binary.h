#pragma once
// Runs the real program in a folder of its own, the way a player's desktop
// would start it: bitmaps and DEBUG.TXT through that folder, the rest beside
// the program.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace dv::e2e {

inline const std::filesystem::path OutDir{DV_OUT_DIR};
inline const std::filesystem::path FixtureDir{DV_FIXTURE_DIR};

class WorkDir {
public:
    WorkDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("dv-e2e-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
        if (std::filesystem::exists(OutDir / "texture")) {
            std::filesystem::create_directory_symlink(OutDir / "texture", path_ / "texture");
        }
    }
    ~WorkDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    WorkDir(const WorkDir&) = delete;
    WorkDir& operator=(const WorkDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Runs the program with `args` in this folder; returns its exit status.
    int Run(const std::string& args, const std::string& env = "SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy") const {
        const std::string command = "cd '" + path_.string() + "' && " + env + " '" + (OutDir / "dravo-vantle").string() +
                                    "' " + args + " >'" + (path_ / "stdout.txt").string() + "' 2>'" +
                                    (path_ / "stderr.txt").string() + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path path_;
};

}  // namespace dv::e2e
