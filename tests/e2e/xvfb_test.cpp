// The real program in a real X window (Xvfb), driven by key presses from
// xdotool the way a player's keyboard would: key down, a pause, key up.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "Desktop.h"

namespace dv::e2e {
namespace {

class Screenshot {
public:
    explicit Screenshot(const std::filesystem::path& png) : surface_(IMG_Load(png.string().c_str())) {
        if (surface_ != nullptr) {
            SDL_Surface* rgb = SDL_ConvertSurfaceFormat(surface_, SDL_PIXELFORMAT_RGB888, 0);
            SDL_FreeSurface(surface_);
            surface_ = rgb;
        }
    }
    ~Screenshot() { SDL_FreeSurface(surface_); }
    Screenshot(const Screenshot&) = delete;
    Screenshot& operator=(const Screenshot&) = delete;

    bool Ok() const { return surface_ != nullptr && surface_->w == 800 && surface_->h == 600; }
    // Pixels in the rectangle for which `match(r, g, b)` holds.
    template <typename Match>
    int Count(int x0, int y0, int x1, int y1, Match match) const {
        int n = 0;
        for (int y = y0; y < y1; ++y) {
            const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(surface_->pixels) +
                                                                     y * surface_->pitch);
            for (int x = x0; x < x1; ++x) {
                const std::uint32_t p = row[x];
                n += match((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF) ? 1 : 0;
            }
        }
        return n;
    }

private:
    SDL_Surface* surface_;
};

bool Colourful(unsigned r, unsigned g, unsigned b) {
    const unsigned hi = std::max({r, g, b});
    const unsigned lo = std::min({r, g, b});
    return hi > 120 && hi - lo > 80;
}

bool White(unsigned r, unsigned g, unsigned b) {
    return r > 235 && g > 235 && b > 235;
}

TEST(Window, KeysFromXdotoolPlayTheGameAndTheRecordingReplaysExactly) {
    if (!Have("Xvfb") || !Have("xdotool") || !Have("import")) {
        GTEST_SKIP() << "needs Xvfb, xdotool and ImageMagick (scripts/install-deps installs them)";
    }
    WorkDir dir;
    const Desktop x(dir, false);
    ASSERT_TRUE(x.Ready()) << "Xvfb did not start";
    std::system(("(cd '" + dir.Path().string() + "' && DISPLAY=" + x.Display() + " SDL_AUDIODRIVER=dummy " +
                 Game.Command() +
                 " --windowed --record rec.txt --dump-state live.json >out.txt 2>err.txt; echo $? >status) &")
                    .c_str());
    std::system(("DISPLAY=" + x.Display() + " timeout 20 xdotool search --sync --onlyvisible --name '^Dravo Vantle!$' >'" +
                 (dir / "wid").string() + "' 2>/dev/null")
                    .c_str());
    std::string wid = dir.Read("wid");
    wid = wid.substr(0, wid.find('\n'));
    ASSERT_FALSE(wid.empty());
    x.X("xdotool mousemove --window " + wid + " 400 300");
    x.X("xdotool windowfocus --sync " + wid);
    std::this_thread::sleep_for(300ms);
    auto press = [&](const char* key) { x.Press(key); };
    auto shot = [&](const std::string& name) {
        x.X("import -window " + wid + " '" + (dir / name).string() + "'");
        return dir / name;
    };

    press("space");
    Screenshot play(shot("play.png"));
    ASSERT_TRUE(play.Ok());
    EXPECT_GT(play.Count(300, 64, 490, 160, Colourful), 100) << "the falling piece's colour in the well";

    press("p");
    std::this_thread::sleep_for(300ms);
    Screenshot pause(shot("pause.png"));
    ASSERT_TRUE(pause.Ok());
    EXPECT_GT(pause.Count(250, 200, 550, 290, White), 150) << "the pause message";

    press("p");
    press("Escape");
    press("s");
    std::this_thread::sleep_for(200ms);
    Screenshot intro(shot("intro.png"));
    ASSERT_TRUE(intro.Ok());
    EXPECT_LT(intro.Count(250, 200, 550, 290, White), pause.Count(250, 200, 550, 290, White) / 2);
    EXPECT_GT(intro.Count(0, 0, 800, 600, Colourful), 2000) << "the intro picture";

    // Leave through the quit question so the run ends with its dump.
    press("Escape");
    press("s");
    for (int i = 0; i < 50 && dir.Read("status").empty(); ++i) {
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_EQ(dir.Read("status"), "0\n") << dir.Read("err.txt");
    const auto live = nlohmann::json::parse(dir.Read("live.json"));
    EXPECT_EQ(live["GameState"], 6);
    EXPECT_GE(live["PieceStats"][1].get<int>() + live["PieceStats"][2].get<int>() + live["PieceStats"][3].get<int>() +
                  live["PieceStats"][4].get<int>() + live["PieceStats"][5].get<int>() +
                  live["PieceStats"][6].get<int>() + live["PieceStats"][7].get<int>(),
              1);

    ASSERT_EQ(dir.Run("--headless --fast --replay rec.txt --ticks " + std::to_string(live["ticks"].get<int>()) +
                      " --dump-state replayed.json"),
              0)
        << dir.Read("stderr.txt");
    EXPECT_EQ(nlohmann::json::parse(dir.Read("replayed.json")), live);
}

}  // namespace
}  // namespace dv::e2e
