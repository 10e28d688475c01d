// The real program in a real X window (Xvfb), driven by key presses from
// xdotool the way a player's keyboard would: key down, a pause, key up.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <chrono>
#include <nlohmann/json.hpp>
#include <thread>

#include "Binary.h"

namespace dv::e2e {
namespace {

using namespace std::chrono_literals;

bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// An X server of our own for the length of a test.
class XServer {
public:
    explicit XServer(const WorkDir& dir) : dir_(dir) {
        std::system(("Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >'" + (dir / "display").string() +
                     "' 2>/dev/null & echo $! >'" + (dir / "xvfb.pid").string() + "'")
                        .c_str());
        for (int i = 0; i < 100 && display_.empty(); ++i) {
            std::this_thread::sleep_for(50ms);
            std::string text = dir.Read("display");
            if (!text.empty() && text.back() == '\n') {
                display_ = ":" + text.substr(0, text.size() - 1);
            }
        }
    }
    ~XServer() { std::system(("kill $(cat '" + (dir_ / "xvfb.pid").string() + "') 2>/dev/null").c_str()); }
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;

    const std::string& Display() const { return display_; }
    int X(const std::string& command) const {
        return std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }

private:
    const WorkDir& dir_;
    std::string display_;
};

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
    XServer x(dir);
    ASSERT_FALSE(x.Display().empty()) << "Xvfb did not start";
    std::system(("(cd '" + dir.Path().string() + "' && DISPLAY=" + x.Display() + " SDL_AUDIODRIVER=dummy '" +
                 (OutDir / "dravo-vantle").string() +
                 "' --windowed --record rec.txt --dump-state live.json >out.txt 2>err.txt; echo $? >status) &")
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
    auto press = [&](const char* key) {
        x.X(std::string("xdotool keydown ") + key);
        std::this_thread::sleep_for(60ms);
        x.X(std::string("xdotool keyup ") + key);
        std::this_thread::sleep_for(250ms);
    };
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
