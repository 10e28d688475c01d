#pragma once
// Runs the real program in a folder of its own, the way a player's desktop
// would start it: bitmaps and DEBUG.TXT through that folder, the rest beside
// the program.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "TempDir.h"

namespace dv::e2e {

inline const std::filesystem::path OutDir{DV_OUT_DIR};
inline const std::filesystem::path FixtureDir{DV_FIXTURE_DIR};

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
        const std::string command = "cd '" + Path().string() + "' && " + env + " '" + (OutDir / "dravo-vantle").string() +
                                    "' " + args + " >'" + (Path() / "stdout.txt").string() + "' 2>'" +
                                    (Path() / "stderr.txt").string() + "'";
        const int raw = std::system(command.c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }

    std::string Read(const std::string& name) const {
        std::ifstream in(Path() / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

}  // namespace dv::e2e
