// The real program in a real X window (Xvfb), driven by key presses from
// xdotool the way a player's keyboard would: key down, a pause, key up.
#include <gtest/gtest.h>

#include <SDL_image.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
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
    // A managed desktop, as a player's: the window manager gives the focus.
    const Desktop x(dir);
    ASSERT_TRUE(x.Ready()) << x.Failure();
    std::system(("(cd '" + dir.Path().string() + "' && DISPLAY=" + x.Display() + " SDL_AUDIODRIVER=dummy " +
                 Game.Command() +
                 " --windowed --record rec.txt --dump-state live.json >out.txt 2>err.txt; echo $? >status) &")
                    .c_str());
    const std::string wid =
        x.WaitForWindow("--name '^Dravo Vantle!$'", GameWindowPatience, [&] { return !dir.Read("status").empty(); });
    ASSERT_FALSE(wid.empty()) << x.Failure() << "status " << dir.Read("status") << dir.Read("err.txt");
    x.X("xdotool mousemove --window " + wid + " 400 300");
    const std::string focused = x.Sync("windowfocus", wid);
    std::this_thread::sleep_for(300ms);
    auto press = [&](const char* key) { x.Press(key); };
    auto shot = [&](const std::string& name) {
        x.X("import -window " + wid + " '" + (dir / name).string() + "'");
        return dir / name;
    };

    // The window can be up before the game draws its first frame (a long
    // while under Wine); a key pressed before then would be lost.
    int colourful = -1;
    const bool drawn = test::WaitFor(
        [&] {
            Screenshot first(shot("first.png"));
            colourful = first.Ok() ? first.Count(0, 0, 800, 600, Colourful) : -1;
            return colourful > 2000;
        },
        GameWindowPatience, 100ms);
    ASSERT_TRUE(drawn) << "no intro picture in the window within " << Seconds(GameWindowPatience)
                       << ": the last capture had "
                       << (colourful < 0 ? std::string("no 800x600 picture") : std::to_string(colourful) + " colourful pixels")
                       << "; " << focused << dir.Read("err.txt");
    // The window shows a key's answer with the game's next frame, which on a
    // busy machine may come late: a capture is taken again until it shows
    // what is checked, or the wait runs out and the last one is checked.
    auto shotShowing = [&](const std::string& name, const auto& shows) {
        std::unique_ptr<Screenshot> s;
        test::WaitFor(
            [&] {
                s = std::make_unique<Screenshot>(shot(name));
                return s->Ok() && shows(*s);
            },
            test::Patience, 100ms);
        return s;
    };
    press("space");
    const auto play =
        shotShowing("play.png", [](const Screenshot& s) { return s.Count(300, 64, 490, 160, Colourful) > 100; });
    ASSERT_TRUE(play->Ok());
    EXPECT_GT(play->Count(300, 64, 490, 160, Colourful), 100) << "the falling piece's colour in the well";

    press("p");
    std::this_thread::sleep_for(300ms);
    const auto pause = shotShowing("pause.png", [](const Screenshot& s) { return s.Count(250, 200, 550, 290, White) > 150; });
    ASSERT_TRUE(pause->Ok());
    const int pauseWhite = pause->Count(250, 200, 550, 290, White);
    EXPECT_GT(pauseWhite, 150) << "the pause message";

    press("p");
    press("Escape");
    press("s");
    std::this_thread::sleep_for(200ms);
    const auto intro = shotShowing("intro.png", [&](const Screenshot& s) {
        return s.Count(250, 200, 550, 290, White) < pauseWhite / 2 && s.Count(0, 0, 800, 600, Colourful) > 2000;
    });
    ASSERT_TRUE(intro->Ok());
    EXPECT_LT(intro->Count(250, 200, 550, 290, White), pauseWhite / 2);
    EXPECT_GT(intro->Count(0, 0, 800, 600, Colourful), 2000) << "the intro picture";

    // Leave through the quit question so the run ends with its dump.
    press("Escape");
    press("s");
    test::WaitFor([&] { return !dir.Read("status").empty(); }, test::Patience, 100ms);
    ASSERT_EQ(dir.Read("status"), "0\n") << "the game's status (none: still running " << Seconds(test::Patience)
                                         << " after the quit); stderr:\n"
                                         << dir.Read("err.txt");
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

// The window manager and the taskbar read the window's icon from the
// window itself: the program sets the game's own, not SDL's.
TEST(Window, CarriesTheGameIcon) {
    if (!Have("Xvfb") || !Have("xdotool") || !Have("xprop")) {
        GTEST_SKIP() << "needs Xvfb, xdotool and xprop (scripts/install-deps installs them)";
    }
    WorkDir dir;
    const Desktop x(dir, false);
    ASSERT_TRUE(x.Ready()) << x.Failure();
    std::system(("(cd '" + dir.Path().string() + "' && DISPLAY=" + x.Display() + " SDL_AUDIODRIVER=dummy " +
                 Game.Command() + " --windowed --ticks 300 >out.txt 2>err.txt; echo $? >status) &")
                    .c_str());
    const std::string wid = x.WaitForWindow("--classname '^" + Game.WindowClass() + "$'", GameWindowPatience,
                                            [&] { return !dir.Read("status").empty(); });
    ASSERT_FALSE(wid.empty()) << x.Failure() << dir.Read("err.txt");
    // "_NET_WM_ICON = width, height, then ARGB pixels row by row"
    std::string icon = x.Out("xprop -notype -id " + wid + " 32c _NET_WM_ICON");
    // The game ends on its own after 300 ticks.
    test::WaitFor([&] { return !dir.Read("status").empty(); }, 3s + test::Patience, 100ms);
    ASSERT_EQ(dir.Read("status"), "0\n") << "the game's status (none: still running " << Seconds(3s + test::Patience)
                                         << " after its window showed); stderr:\n"
                                         << dir.Read("err.txt");
    ASSERT_NE(icon.find('='), std::string::npos) << "no icon on the window: " << icon;
    std::replace(icon.begin(), icon.end(), ',', ' ');
    std::istringstream values(icon.substr(icon.find('=') + 1));
    unsigned long width = 0;
    unsigned long height = 0;
    values >> width >> height;

    SDL_Surface* png = IMG_Load((std::filesystem::path(DV_BUILD_DIR) / "icons/hicolor/48x48/apps/dravo-vantle.png").c_str());
    ASSERT_NE(png, nullptr) << IMG_GetError();
    SDL_Surface* drawn = SDL_ConvertSurfaceFormat(png, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(png);
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(width, static_cast<unsigned long>(drawn->w));
    EXPECT_EQ(height, static_cast<unsigned long>(drawn->h));
    int differing = 0;
    for (int y = 0; y < drawn->h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const std::uint8_t*>(drawn->pixels) +
                                                                 y * drawn->pitch);
        for (int px = 0; px < drawn->w; ++px) {
            unsigned long argb = 0;
            values >> argb;
            differing += argb != row[px] ? 1 : 0;
        }
    }
    SDL_FreeSurface(drawn);
    EXPECT_TRUE(values) << "fewer pixels than the icon has";
    EXPECT_EQ(differing, 0) << "the window's icon is not the game's";
}

}  // namespace
}  // namespace dv::e2e
