// The installed game: `cmake --install` into a prefix of the test's own, then
// the installed launcher started the way a desktop would start it, from a
// folder that has nothing to do with the game.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "Binary.h"

namespace dv::e2e {
namespace {

namespace fs = std::filesystem;

const fs::path BuildDir{DV_BUILD_DIR};

std::string Quote(const fs::path& p) {
    return "'" + p.string() + "'";
}

int Shell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The keys of the [Desktop Entry] group.
std::map<std::string, std::string> DesktopEntry(const fs::path& file) {
    std::map<std::string, std::string> keys;
    std::ifstream in(file);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inGroup = line == "[Desktop Entry]";
        } else if (inGroup && line.find('=') != std::string::npos) {
            keys[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
        }
    }
    return keys;
}

// A prefix to install into, a folder to start from and a home of the test's own.
class InstalledGame : public ::testing::Test {
protected:
    void SetUp() override {
        // WorkDir gives a unique folder that is removed afterwards; the
        // texture link it makes is taken away so nothing here can stand in
        // for the installed pictures.
        fs::remove(root_ / "texture");
        fs::create_directories(Elsewhere());
        fs::create_directories(Home());
        fs::create_directories(Logs());
        const int status =
            Shell(std::string(DV_CMAKE_COMMAND) + " --install " + Quote(BuildDir) + " --prefix " + Quote(Prefix()) +
                  " >" + Quote(Logs() / "install.txt") + " 2>&1");
        ASSERT_EQ(status, 0) << ReadFile(Logs() / "install.txt");
    }

    fs::path Prefix() const { return root_ / "prefix"; }
    fs::path GameDir() const { return Prefix() / "lib" / "dravo-vantle"; }
    fs::path Elsewhere() const { return root_ / "elsewhere"; }
    fs::path Home() const { return root_ / "home"; }
    fs::path Logs() const { return root_ / "logs"; }

    // Starts the installed launcher from Elsewhere() with only the given
    // environment on top of PATH; returns its exit status.
    int Launch(const std::string& env, const std::string& args) const {
        return Shell("cd " + Quote(Elsewhere()) + " && env -u XDG_DATA_HOME -u HOME " + env +
                     " SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy PATH=" + Quote(Prefix() / "bin") +
                     ":\"$PATH\" dravo-vantle " + args + " >" + Quote(Logs() / "stdout.txt") + " 2>" +
                     Quote(Logs() / "stderr.txt"));
    }
    std::string Stderr() const { return ReadFile(Logs() / "stderr.txt"); }

    WorkDir work_;
    const fs::path& root_ = work_.Path();
};

TEST_F(InstalledGame, PutsTheProgramItsDataTheIconAndTheMenuEntryUnderThePrefix) {
    const fs::path launcher = Prefix() / "bin" / "dravo-vantle";
    ASSERT_TRUE(fs::is_regular_file(launcher));
    EXPECT_NE(fs::status(launcher).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_NE(fs::status(GameDir() / "dravo-vantle").permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(ReadFile(GameDir() / "data" / "PezziVantle.txt"), ReadFile(OutDir / "data" / "PezziVantle.txt"));

    // Every picture and sound the build made, and nothing else.
    for (const char* folder : {"texture", "sounds"}) {
        std::size_t built = 0;
        for (const auto& entry : fs::directory_iterator(OutDir / folder)) {
            ++built;
            const fs::path installed = GameDir() / folder / entry.path().filename();
            ASSERT_TRUE(fs::is_regular_file(installed)) << installed;
            EXPECT_EQ(fs::file_size(installed), fs::file_size(entry.path())) << installed;
        }
        EXPECT_GT(built, 0u) << folder;
        EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(GameDir() / folder),
                                                         fs::directory_iterator())),
                  built)
            << folder;
    }

    const auto entry = DesktopEntry(Prefix() / "share" / "applications" / "dravo-vantle.desktop");
    EXPECT_EQ(entry.count("Type") ? entry.at("Type") : "", "Application");
    EXPECT_EQ(entry.count("Name") ? entry.at("Name") : "", "Dravo Vantle!");
    EXPECT_EQ(entry.count("Exec") ? entry.at("Exec") : "", "dravo-vantle");
    EXPECT_EQ(entry.count("Icon") ? entry.at("Icon") : "", "dravo-vantle");
    EXPECT_EQ(entry.count("Categories") ? entry.at("Categories") : "", "Game;BlocksGame;");
    EXPECT_FALSE(entry.count("Comment") ? entry.at("Comment").empty() : true);
    EXPECT_FALSE(entry.count("Comment[it]") ? entry.at("Comment[it]").empty() : true);

    // The icons have real transparency: clear corners around opaque cells.
    for (const int size : {48, 256}) {
        const fs::path png = Prefix() / "share" / "icons" / "hicolor" /
                             (std::to_string(size) + "x" + std::to_string(size)) / "apps" / "dravo-vantle.png";
        SDL_Surface* loaded = IMG_Load(png.string().c_str());
        ASSERT_NE(loaded, nullptr) << png << ": " << IMG_GetError();
        SDL_Surface* icon = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGBA32, 0);
        SDL_FreeSurface(loaded);
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(icon->w, size);
        EXPECT_EQ(icon->h, size);
        const auto alpha = [&](int x, int y) {
            return static_cast<const Uint8*>(icon->pixels)[y * icon->pitch + 4 * x + 3];
        };
        EXPECT_EQ(alpha(0, 0), 0) << png;
        EXPECT_EQ(alpha(size - 1, 0), 0) << png;
        EXPECT_EQ(alpha(0, size - 1), 0) << png;
        EXPECT_EQ(alpha(size - 1, size - 1), 0) << png;
        int opaque = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                opaque += alpha(x, y) == 255 ? 1 : 0;
            }
        }
        // Cells cover between a third and two thirds of the square.
        EXPECT_GT(opaque, size * size / 3) << png;
        EXPECT_LT(opaque, size * size * 2 / 3) << png;
        SDL_FreeSurface(icon);
    }
}

// desktop-file-validate knows the registered categories and keys; without
// it, the checks above are all there is.
TEST_F(InstalledGame, TheMenuEntryPassesTheDesktopEntryValidator) {
    if (Shell("command -v desktop-file-validate >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "desktop-file-validate (desktop-file-utils) is not installed";
    }
    const fs::path entry = Prefix() / "share" / "applications" / "dravo-vantle.desktop";
    EXPECT_EQ(Shell("desktop-file-validate " + Quote(entry) + " >" + Quote(Logs() / "validate.txt") + " 2>&1"), 0)
        << ReadFile(Logs() / "validate.txt");
}

TEST_F(InstalledGame, TheLauncherRunsTheGameInAPerUserFolderFromAnywhere) {
    const fs::path xdg = Home() / "xdg data";
    const fs::path user = xdg / "dravo-vantle";
    const fs::path dump = Logs() / "first dump.json";
    const std::string xdgEnv = "HOME=" + Quote(Home()) + " XDG_DATA_HOME=" + Quote(xdg);

    // A first run makes the folder, links the installed pictures and passes
    // every argument on unchanged, spaces included.
    ASSERT_EQ(Launch(xdgEnv, "--headless --fast --ticks 300 --dump-state " + Quote(dump)), 0) << Stderr();
    const auto state = nlohmann::json::parse(ReadFile(dump));
    EXPECT_EQ(state["ticks"], 300);
    EXPECT_EQ(state["TickCount"], 300);
    EXPECT_EQ(state["GameState"], 3);
    EXPECT_EQ(state["Well"].size(), 26u);
    ASSERT_TRUE(fs::is_symlink(user / "texture"));
    EXPECT_TRUE(fs::equivalent(user / "texture", GameDir() / "texture"));
    EXPECT_FALSE(fs::exists(user / "DEBUG.TXT"));
    EXPECT_TRUE(fs::is_empty(Elsewhere())) << "the launcher wrote into the folder it was started from";

    // A link to another install's pictures is pointed back at this one.
    fs::remove(user / "texture");
    fs::create_directories(root_ / "other-install" / "texture");
    fs::create_directory_symlink(root_ / "other-install" / "texture", user / "texture");
    ASSERT_EQ(Launch(xdgEnv, "--headless --fast --ticks 50"), 0) << Stderr();
    ASSERT_TRUE(fs::is_symlink(user / "texture"));
    EXPECT_TRUE(fs::equivalent(user / "texture", GameDir() / "texture"));
    EXPECT_EQ(std::distance(fs::directory_iterator(user), fs::directory_iterator()), 1)
        << "only the texture link belongs in the per-user folder";

    // A relative XDG_DATA_HOME is no base folder: HOME's default is used.
    const fs::path fallback = Home() / ".local" / "share" / "dravo-vantle";
    ASSERT_EQ(Launch("HOME=" + Quote(Home()) + " XDG_DATA_HOME=relative/data", "--headless --fast --ticks 50"), 0)
        << Stderr();
    EXPECT_TRUE(fs::equivalent(fallback / "texture", GameDir() / "texture"));
    EXPECT_FALSE(fs::exists(Elsewhere() / "relative"));
}

TEST_F(InstalledGame, AStartUpFailureIsLoggedInThePerUserFolder) {
    fs::remove(GameDir() / "texture" / "texBlu.bmp");
    const std::string env = "HOME=" + Quote(Home());
    EXPECT_EQ(Launch(env, "--headless --fast --ticks 10"), 1);
    const fs::path user = Home() / ".local" / "share" / "dravo-vantle";
    EXPECT_NE(ReadFile(user / "DEBUG.TXT").find("texBlu.bmp"), std::string::npos) << ReadFile(user / "DEBUG.TXT");
    EXPECT_NE(Stderr().find("texBlu.bmp"), std::string::npos) << Stderr();
    EXPECT_TRUE(fs::is_empty(Elsewhere()));
}

}  // namespace
}  // namespace dv::e2e
