// Whole frames from the headless pixel path, compared with pictures kept in
// tests/e2e/golden. A failing frame is written beside its golden picture as
// *-actual.png; DV_UPDATE_GOLDEN=1 records new ones after a deliberate change.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <cmath>
#include <fstream>

#include "Binary.h"
#include "Desktop.h"

namespace dv::e2e {
namespace {

struct Difference {
    double meanPerChannel = 0;  // 0..255
    double changedShare = 0;    // pixels off by more than 24 in some channel
};

SDL_Surface* LoadRgb(const std::filesystem::path& png) {
    SDL_Surface* raw = IMG_Load(png.string().c_str());
    if (raw == nullptr) {
        return nullptr;
    }
    SDL_Surface* rgb = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(raw);
    return rgb;
}

Difference Compare(SDL_Surface* a, SDL_Surface* b) {
    Difference d;
    std::uint64_t sum = 0;
    std::uint64_t changed = 0;
    for (int y = 0; y < a->h; ++y) {
        const auto* ra = reinterpret_cast<const std::uint32_t*>(static_cast<std::uint8_t*>(a->pixels) + y * a->pitch);
        const auto* rb = reinterpret_cast<const std::uint32_t*>(static_cast<std::uint8_t*>(b->pixels) + y * b->pitch);
        for (int x = 0; x < a->w; ++x) {
            int worst = 0;
            for (int shift : {0, 8, 16}) {
                const int delta = std::abs(static_cast<int>((ra[x] >> shift) & 0xFF) - static_cast<int>((rb[x] >> shift) & 0xFF));
                sum += static_cast<std::uint64_t>(delta);
                worst = std::max(worst, delta);
            }
            changed += worst > 24 ? 1 : 0;
        }
    }
    const double pixels = static_cast<double>(a->w) * a->h;
    d.meanPerChannel = static_cast<double>(sum) / (pixels * 3);
    d.changedShare = static_cast<double>(changed) / pixels;
    return d;
}

// `mode`: headless, or a window on the X display in `env`.
void ExpectFrameLooksAsRecorded(const std::string& name, const std::string& args,
                                const std::string& mode = "--headless",
                                const std::string& env = "SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy") {
    WorkDir dir;
    ASSERT_EQ(dir.Run(mode + " --fast " + args + ".png", env), 0) << dir.Read("stderr.txt");
    const auto golden = FixtureDir / "golden" / (name + ".png");
    if (std::getenv("DV_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::copy_file(dir / (name + ".png"), golden, std::filesystem::copy_options::overwrite_existing);
    }
    SDL_Surface* actual = LoadRgb(dir / (name + ".png"));
    SDL_Surface* expected = LoadRgb(golden);
    ASSERT_NE(actual, nullptr);
    ASSERT_NE(expected, nullptr) << "no golden picture " << golden;
    ASSERT_EQ(actual->w, 800);
    ASSERT_EQ(actual->h, 600);
    ASSERT_EQ(expected->w, 800);
    const Difference d = Compare(actual, expected);
    SDL_FreeSurface(actual);
    SDL_FreeSurface(expected);
    const bool same = d.meanPerChannel < 1.5 && d.changedShare < 0.005;
    if (!same) {
        std::filesystem::copy_file(dir / (name + ".png"), FixtureDir / "golden" / (name + "-actual.png"),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    EXPECT_TRUE(same) << name << ": mean difference " << d.meanPerChannel << " per channel, "
                      << d.changedShare * 100 << "% of pixels changed; see " << name << "-actual.png";
}

TEST(Golden, TheIntroCrossFade) {
    ExpectFrameLooksAsRecorded("intro", "--ticks 660 --screenshot 660:intro");
}

TEST(Golden, APlayFrameWithBurstingCellsLabelsAndTheLandingImage) {
    ExpectFrameLooksAsRecorded("play", "--replay '" + (FixtureDir / "replays" / "regression.txt").string() +
                                           "' --ticks 1140 --screenshot 1140:play");
}

// With no font on the system, the files beside the program draw the same
// letters: the desktop resolves the game's faces to those very files. The
// program runs from another folder, so only the program's own finds them.
TEST(Golden, APlayFrameDrawnWithOnlyTheBundledFonts) {
    const test::TempDir config;
    const auto conf = config.Path() / "fonts.conf";
    std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    ExpectFrameLooksAsRecorded("play",
                               "--replay '" + (FixtureDir / "replays" / "regression.txt").string() +
                                   "' --ticks 1140 --screenshot 1140:play",
                               "--headless",
                               "SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=dummy FONTCONFIG_FILE='" + conf.string() + "'");
}

// The same frame drawn in a window on a desktop, where the renderer is the
// one a player gets rather than the dummy driver's.
TEST(Golden, APlayFrameInAWindowLooksTheSame) {
    if (!Have("Xvfb")) {
        GTEST_SKIP() << "needs Xvfb (scripts/install-deps installs it)";
    }
    WorkDir desktopDir;
    const Desktop x(desktopDir);
    ASSERT_TRUE(x.Ready()) << x.Failure();
    ExpectFrameLooksAsRecorded("play",
                               "--replay '" + (FixtureDir / "replays" / "regression.txt").string() +
                                   "' --ticks 1140 --screenshot 1140:play",
                               "--windowed", "DISPLAY=" + x.Display() + " SDL_AUDIODRIVER=dummy");
}

}  // namespace
}  // namespace dv::e2e
