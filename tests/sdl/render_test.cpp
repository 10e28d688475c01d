// SdlRenderDevice drawing pictures: loading with the colour key, the sprite
// transform, tinting, the frame protocol and screenshots, checked on the
// pixels the software renderer actually produced.
#include <SDL_image.h>

#include <algorithm>
#include <functional>
#include <set>
#include <tuple>
#include <utility>

#include "RenderFixture.h"
#include "platform/Error.h"

namespace dv::sdl::test {
namespace {

constexpr std::uint32_t Background = 0xFF203040;
// The game turns whole degrees into radians with this factor.
constexpr float GameRadiansPerDegree = 0.017444444444444446F;

constexpr std::uint32_t RedRgb = 0xFF0000;
constexpr std::uint32_t GreenRgb = 0x00FF00;
constexpr std::uint32_t BlueRgb = 0x0000FF;
constexpr std::uint32_t WhiteRgb = 0xFFFFFF;

// Every drawing rule holds alike whether the frame is the renderer's target
// texture shown by the window, or a frame of the device's own handed to a
// web page.
enum class Frames { Window, Page };

class RenderDeviceTest : public RenderFixture, public ::testing::WithParamInterface<Frames> {
protected:
    void SetUp() override {
        pageFrames_ = GetParam() == Frames::Page;
        RenderFixture::SetUp();
    }

    void ClearTo(std::uint32_t colour) { device_->Clear(clear::Target, colour, 1.0F, 0); }

    // A 4x2 picture: left half red, right half green.
    TextureId RedGreen() {
        return device_->CreateTextureFromFile(
            WriteBmp("rg.bmp", 4, 2, {RedRgb, RedRgb, GreenRgb, GreenRgb, RedRgb, RedRgb, GreenRgb, GreenRgb}), false,
            0);
    }
};

TEST_P(RenderDeviceTest, ClearPaintsTheWholeTargetOpaqueOnlyForTheTargetBit) {
    ClearTo(0x00123456);  // the alpha of a clear colour must not leak out
    for (std::uint32_t p : device_->ReadFrame()) {
        ASSERT_EQ(p, 0xFF123456U);
    }
    device_->Clear(clear::ZBuffer, 0xFFFFFFFF, 1.0F, 0);
    EXPECT_EQ(Pixel(0, 0), 0xFF123456U);
    EXPECT_EQ(Pixel(W - 1, H - 1), 0xFF123456U);
}

TEST_P(RenderDeviceTest, ColourKeyMakesOnlyExactKeyPixelsTransparent) {
    constexpr std::uint32_t key = 0xFF00FF;
    const auto path = WriteBmp("key.bmp", 4, 1, {key, 0xFE00FF, 0x000000, 0xFFFFFF});
    const TextureId keyed = device_->CreateTextureFromFile(path, true, 0xFF000000 | key);
    const TextureId plain = device_->CreateTextureFromFile(path, false, 0);
    // A key without alpha FF matches nothing: file pixels are opaque.
    const TextureId noAlphaKey = device_->CreateTextureFromFile(path, true, key);

    ClearTo(Background);
    Draw(keyed, {1, 1}, {0, 0}, 0, {10, 10});
    Draw(plain, {1, 1}, {0, 0}, 0, {10, 20});
    Draw(noAlphaKey, {1, 1}, {0, 0}, 0, {10, 30});

    EXPECT_TRUE(Near(Pixel(10, 10), Background, 0));
    EXPECT_TRUE(Near(Pixel(11, 10), 0xFE00FF, 0));
    EXPECT_TRUE(Near(Pixel(12, 10), 0x000000, 0));
    EXPECT_TRUE(Near(Pixel(13, 10), 0xFFFFFF, 0));

    EXPECT_TRUE(Near(Pixel(10, 20), key, 0));
    EXPECT_TRUE(Near(Pixel(12, 20), 0x000000, 0)) << "black without the key stays opaque";
    EXPECT_TRUE(Near(Pixel(10, 30), key, 0));
    EXPECT_EQ(device_->TextureSize(keyed), (Vec2{4, 1}));
}

TEST_P(RenderDeviceTest, KeyedEdgesFadeToDarkNotToTheKeyColourWhenMagnified) {
    // Filtering between a keyed texel and a white one: had the keyed pixel
    // kept its magenta, the blend would show a magenta fringe.
    const auto path = WriteBmp("edge.bmp", 2, 1, {0xFF00FF, 0xFFFFFF});
    const TextureId t = device_->CreateTextureFromFile(path, true, 0xFFFF00FF);
    ClearTo(0xFF000000);
    Draw(t, {16, 16}, {0, 0}, 0, {100, 100});
    int greys = 0;
    for (int x = 100; x < 132; ++x) {
        const std::uint32_t p = Pixel(x, 108);
        EXPECT_LE(std::abs(Red(p) - Green(p)), 2) << "x=" << x;
        EXPECT_LE(std::abs(Blue(p) - Green(p)), 2) << "x=" << x;
        greys += Green(p) > 8 && Green(p) < 247 ? 1 : 0;
    }
    EXPECT_GT(greys, 0) << "magnification should filter the edge";
}

TEST_P(RenderDeviceTest, ScaledSpriteCoversExactlyItsScaledRectangle) {
    // 4x4 picture in 2x2 quadrants: red, green / blue, white.
    std::vector<std::uint32_t> px(16);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            px[static_cast<std::size_t>(y * 4 + x)] = y < 2 ? (x < 2 ? RedRgb : GreenRgb) : (x < 2 ? BlueRgb : WhiteRgb);
        }
    }
    const TextureId t = device_->CreateTextureFromFile(WriteBmp("quad.bmp", 4, 4, px), false, 0);
    ClearTo(Background);
    Draw(t, {2, 3}, {0, 0}, 0, {20, 30});

    const Bounds b = LitBounds(device_->ReadFrame(), Background);
    EXPECT_EQ(b.left, 20);
    EXPECT_EQ(b.top, 30);
    EXPECT_EQ(b.right, 27);
    EXPECT_EQ(b.bottom, 41);
    EXPECT_TRUE(Near(Pixel(21, 32), RedRgb));
    EXPECT_TRUE(Near(Pixel(26, 32), GreenRgb));
    EXPECT_TRUE(Near(Pixel(21, 39), BlueRgb));
    EXPECT_TRUE(Near(Pixel(26, 39), WhiteRgb));
}

TEST_P(RenderDeviceTest, PositiveRotationTurnsClockwiseAboutTheCentre) {
    const TextureId t = RedGreen();
    const float quarter = 90 * GameRadiansPerDegree;

    // About the middle of the 40x20 picture at (200, 200): screen (220, 210).
    ClearTo(Background);
    Draw(t, {10, 10}, {20, 10}, quarter, {200, 200});
    EXPECT_TRUE(Near(Pixel(220, 222), GreenRgb, 8)) << "right of the centre must land below it";
    EXPECT_TRUE(Near(Pixel(220, 198), RedRgb, 8)) << "left of the centre must land above it";
    EXPECT_TRUE(Near(Pixel(236, 210), Background, 0)) << "nothing left where the unrotated picture was";

    // About the translation point: the picture swings to its left and below.
    ClearTo(Background);
    Draw(t, {10, 10}, {0, 0}, quarter, {400, 300});
    EXPECT_TRUE(Near(Pixel(390, 330), GreenRgb, 8));
    EXPECT_TRUE(Near(Pixel(390, 310), RedRgb, 8));
    EXPECT_TRUE(Near(Pixel(410, 310), Background, 0));
}

TEST_P(RenderDeviceTest, AnEighthTurnMakesASquareADiamond) {
    const TextureId t = Solid("w.bmp", 20, 20, WhiteRgb);
    ClearTo(Background);
    Draw(t, {2, 2}, {20, 20}, 45 * GameRadiansPerDegree, {300, 300});
    EXPECT_TRUE(Near(Pixel(320, 320), WhiteRgb, 0));
    EXPECT_TRUE(Near(Pixel(320, 294), WhiteRgb, 8)) << "a corner now points straight up";
    for (const auto& [x, y] : {std::pair{296, 296}, {344, 296}, {296, 344}, {344, 344}}) {
        EXPECT_TRUE(Near(Pixel(x, y), Background, 0)) << x << "," << y;
    }
}

TEST_P(RenderDeviceTest, NegativeScaleMirrorsAboutTheTranslation) {
    const TextureId t = RedGreen();
    ClearTo(Background);
    Draw(t, {-10, 10}, {0, 0}, 0, {300, 100});
    EXPECT_TRUE(Near(Pixel(290, 110), RedRgb, 8));
    EXPECT_TRUE(Near(Pixel(270, 110), GreenRgb, 8));
    EXPECT_TRUE(Near(Pixel(305, 110), Background, 0));
    EXPECT_TRUE(Near(Pixel(255, 110), Background, 0));

    // Mirrored then turned a quarter clockwise about the translation point:
    // (-10u, 10v) goes to (-10v, -10u).
    ClearTo(Background);
    Draw(t, {-10, 10}, {0, 0}, 90 * GameRadiansPerDegree, {400, 300});
    EXPECT_TRUE(Near(Pixel(390, 290), RedRgb, 8));
    EXPECT_TRUE(Near(Pixel(390, 270), GreenRgb, 8));
    EXPECT_TRUE(Near(Pixel(390, 310), Background, 0));
}

// The shades along a line of pixels, from (x, y) in steps of (dx, dy).
std::vector<int> Profile(const std::function<std::uint32_t(int, int)>& pixel, int x, int y, int dx, int dy, int n) {
    std::vector<int> greens;
    for (int i = 0; i < n; ++i) {
        greens.push_back(Green(pixel(x + i * dx, y + i * dy)));
    }
    return greens;
}

int InBetween(const std::vector<int>& shades) {
    return static_cast<int>(std::count_if(shades.begin(), shades.end(), [](int g) { return g > 16 && g < 239; }));
}

TEST_P(RenderDeviceTest, MagnifiedPicturesAreFilteredTurnedAndMirroredAlikeAsStraight) {
    // Two texels, black and white, sixteen times their size: filtered, the
    // step becomes a ramp; sampled by nearest texel it stays one hard edge.
    const TextureId t = device_->CreateTextureFromFile(WriteBmp("bw.bmp", 2, 1, {0x000000, WhiteRgb}), false, 0);
    const auto pixel = [this](int x, int y) { return Pixel(x, y); };
    // Not a whole quarter: SDL's software renderer takes an exactly
    // quarter-turned quad for an upright one and draws it unturned.
    const float quarter = 88 * GameRadiansPerDegree;

    ClearTo(Background);
    Draw(t, {16, 16}, {0, 0}, 0, {100, 100});
    const std::vector<int> straight = Profile(pixel, 100, 108, 1, 0, 32);
    ASSERT_GE(InBetween(straight), 8) << "a straight magnified picture must be filtered";

    struct Way {
        const char* name;
        Vec2 scale;
        float rotation;
        Vec2 translation;
        int x, y, dx, dy;  // the pixel where the texture's width starts, and the step along it
    };
    // Mirrored, the picture runs left from the translation point; turned a
    // quarter, down from it (up when mirrored too), its height to the left.
    for (const Way& way : {Way{"mirrored", {-16, 16}, 0, {300, 300}, 299, 308, -1, 0},
                           Way{"turned a quarter", {16, 16}, quarter, {400, 300}, 392, 300, 0, 1},
                           Way{"mirrored and turned", {-16, 16}, quarter, {400, 300}, 392, 299, 0, -1}}) {
        ClearTo(Background);
        Draw(t, way.scale, {0, 0}, way.rotation, way.translation);
        const std::vector<int> shades = Profile(pixel, way.x, way.y, way.dx, way.dy, 32);
        EXPECT_NEAR(InBetween(shades), InBetween(straight), 3) << way.name;
        EXPECT_TRUE(std::is_sorted(shades.begin(), shades.end())) << way.name << ": black to white without steps back";
        EXPECT_LE(shades.front(), 16) << way.name;
        EXPECT_GE(shades.back(), 239) << way.name;
    }

    // A bursting cell's scale and spin: shades between the two, not two blocks.
    ClearTo(Background);
    const TextureId cell = device_->CreateTextureFromFile(
        WriteBmp("cell.bmp", 4, 4, {0, 0, WhiteRgb, WhiteRgb, 0, 0, WhiteRgb, WhiteRgb, WhiteRgb, WhiteRgb, 0, 0, WhiteRgb, WhiteRgb, 0, 0}),
        false, 0);
    Draw(cell, {7.3F, 7.3F}, {2, 2}, 0.5F, {500, 300});
    std::set<int> levels;
    for (const std::uint32_t p : device_->ReadFrame()) {
        if (Red(p) == Green(p) && Green(p) == Blue(p)) {
            levels.insert(Green(p));
        }
    }
    EXPECT_GT(levels.size(), 10u) << "a turned magnified cell shows only its texels' own shades";
}

TEST_P(RenderDeviceTest, TintMultipliesColourAndBlendsByItsAlpha) {
    // Opaque pictures and pictures with transparent pixels are stored
    // differently; both must tint alike.
    const TextureId opaque = Solid("white.bmp", 8, 8, WhiteRgb);
    std::vector<std::uint32_t> px(64, WhiteRgb);
    px[0] = 0xFF00FF;
    const TextureId keyed = device_->CreateTextureFromFile(WriteBmp("wk.bmp", 8, 8, px), true, 0xFFFF00FF);

    ClearTo(0xFF000000);
    device_->BeginScene();
    device_->SpriteBegin();
    device_->SpriteDraw(opaque, {1, 1}, {0, 0}, 0, {10, 10}, 0x80FFFFFF);
    device_->SpriteDraw(keyed, {1, 1}, {0, 0}, 0, {30, 10}, 0x80FFFFFF);
    device_->SpriteDraw(opaque, {1, 1}, {0, 0}, 0, {50, 10}, 0xFF00FF00);
    device_->SpriteDraw(keyed, {1, 1}, {0, 0}, 0, {70, 10}, 0xFFFF8000);
    device_->SpriteDraw(opaque, {3, 3}, {0, 0}, 0, {90, 10}, 0x80FFFFFF);  // scaled path too
    device_->SpriteEnd();
    device_->EndScene();

    EXPECT_TRUE(Near(Pixel(14, 14), 0x808080, 2));
    EXPECT_TRUE(Near(Pixel(34, 14), 0x808080, 2));
    EXPECT_TRUE(Near(Pixel(54, 14), 0x00FF00, 0));
    EXPECT_TRUE(Near(Pixel(74, 14), 0xFF8000, 1));
    EXPECT_TRUE(Near(Pixel(100, 20), 0x808080, 2));

    // Half over a coloured background really mixes the two.
    ClearTo(0xFF0000FF);
    Draw(opaque, {1, 1}, {0, 0}, 0, {10, 10}, 0x80FF0000);
    EXPECT_TRUE(Near(Pixel(14, 14), 0x80007F, 2));
}

// A frame's clear is drawn only where something needs it: a sky as large as
// the frame drawn first makes it needless. That may change no pixel: each
// scene below is drawn once with the clear paid at once (reading a pixel pays
// it) and once as the game draws, and the two frames must be equal.
TEST_P(RenderDeviceTest, TheClearIsDrawnWhereverAnythingCouldShowIt) {
    std::vector<std::uint32_t> skyPixels(static_cast<std::size_t>(W * H));
    for (std::size_t i = 0; i < skyPixels.size(); ++i) {
        skyPixels[i] = static_cast<std::uint32_t>(i * 2654435761U) & 0xFFFFFF;
    }
    const TextureId sky = device_->CreateTextureFromFile(WriteBmp("sky.bmp", W, H, skyPixels), false, 0);
    const TextureId wall = Solid("wall.bmp", W, 100, 0x336699);
    const TextureId cell = Solid("cell.bmp", 17, 17, RedRgb);
    const FontId font = device_->CreateTextFont({"DejaVu Sans", 20, false});

    struct Scene {
        const char* name;
        std::function<void()> draw;
    };
    auto sprite = [&](TextureId t, float x, float y, std::uint32_t tint = 0xFFFFFFFF, Vec2 scale = {1, 1},
                      float rotation = 0) {
        device_->SpriteBegin();
        device_->SpriteDraw(t, scale, {0, 0}, rotation, {x, y}, tint);
        device_->SpriteEnd();
    };
    const std::vector<Scene> scenes = {
        {"sky in two strips, then sprites and text",
         [&] {
             sprite(sky, 0, -250);
             sprite(sky, 0, 350);
             sprite(cell, 40, 40, 0xFFFFFFFF, {2, 2}, 0.5F);
             device_->DrawText(font, 0xFFFFFF00, "Punti 1234", RectL{10, 10, 300, 60}, textformat::Left);
         }},
        {"sky covering the top rows only", [&] { sprite(sky, 0, -400); }},
        {"sky from the bottom up, with a gap", [&] { sprite(sky, 0, 450); sprite(sky, 0, -200); }},
        {"wall in the middle, then the sky", [&] { sprite(wall, 0, 250); sprite(sky, 0, 0); }},
        {"walls from both edges", [&] { sprite(wall, 0, -20); sprite(wall, 0, 540); sprite(cell, 0, 300); }},
        {"sky not quite as wide as the frame", [&] { sprite(sky, 1, 0); }},
        {"faded sky", [&] { sprite(sky, 0, 0, 0xC0FFFFFF); }},
        {"text first", [&] { device_->DrawText(font, 0xFFFFFFFF, "Ciao", RectL{0, 0, 800, 600}, 0); }},
        {"a turned cell first", [&] { sprite(cell, 300, 300, 0xFFFFFFFF, {1, 1}, 0.3F); }},
        {"nothing drawn", [] {}},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        std::vector<std::uint32_t> frames[2];
        for (int deferred = 0; deferred < 2; ++deferred) {
            // Something else first, so a clear left unpaid would show it.
            ClearTo(0xFFFFFFFF);
            Draw(cell, {1, 1}, {0, 0}, 0, {0, 0});
            device_->Present();
            ClearTo(0xFF405060);
            if (deferred == 0) {
                Pixel(0, 0);
            }
            device_->BeginScene();
            scene.draw();
            device_->EndScene();
            device_->Present();
            frames[deferred] = device_->ReadFrame();
        }
        ASSERT_EQ(frames[0].size(), frames[1].size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < frames[0].size(); ++i) {
            differing += frames[0][i] != frames[1][i] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0U);
    }
}

// A keyed picture drawn upright, unscaled and untinted is drawn as copies of
// its opaque parts; a picture with too many of them is blended as before.
// Either way each of its pixels is exactly the picture's or the background's,
// clipped at the frame's edges too.
TEST_P(RenderDeviceTest, KeyedPicturesShowExactlyTheirUnkeyedPixels) {
    constexpr std::uint32_t key = 0x4F4F4F;
    auto framePicture = [&](int w, int h) {
        std::vector<std::uint32_t> px(static_cast<std::size_t>(w * h));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const bool border = x < 12 || x >= w - 12 || y >= h - 9 || (y < 30 && x % 40 < 9);
                px[static_cast<std::size_t>(y * w + x)] =
                    border ? (0x102030U + static_cast<std::uint32_t>(x * 7 + y * 13)) & 0xFFFFFF : key;
            }
        }
        return px;
    };
    std::vector<std::uint32_t> checks(static_cast<std::size_t>(64 * 64));
    for (int i = 0; i < 64 * 64; ++i) {
        checks[static_cast<std::size_t>(i)] = ((i / 64 + i % 64) % 2 == 0) ? key : 0xC08040;
    }
    struct Case {
        const char* name;
        std::vector<std::uint32_t> pixels;
        int w, h;
        int x, y;
    };
    const std::vector<Case> cases = {
        {"a frame with notches", framePicture(200, 160), 200, 160, 100, 80},
        {"a frame over the frame's corner", framePicture(200, 160), 200, 160, -30, 500},
        {"a chequerboard", checks, 64, 64, 700, 10},
    };
    std::vector<std::uint32_t> under(static_cast<std::size_t>(W * H));
    for (std::size_t i = 0; i < under.size(); ++i) {
        under[i] = static_cast<std::uint32_t>(i * 40503U) & 0xFFFFFF;
    }
    const TextureId ground = device_->CreateTextureFromFile(WriteBmp("ground.bmp", W, H, under), false, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TextureId t =
            device_->CreateTextureFromFile(WriteBmp(std::string(c.name) + ".bmp", c.w, c.h, c.pixels), true, 0xFF000000 | key);
        ClearTo(0xFF000000);
        device_->BeginScene();
        device_->SpriteBegin();
        device_->SpriteDraw(ground, {1, 1}, {0, 0}, 0, {0, 0}, 0xFFFFFFFF);
        device_->SpriteDraw(t, {1, 1}, {0, 0}, 0, {static_cast<float>(c.x), static_cast<float>(c.y)}, 0xFFFFFFFF);
        device_->SpriteEnd();
        device_->EndScene();
        const std::vector<std::uint32_t> frame = device_->ReadFrame();
        std::size_t wrong = 0;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                std::uint32_t expected = under[static_cast<std::size_t>(y * W + x)];
                const int u = x - c.x;
                const int v = y - c.y;
                if (u >= 0 && v >= 0 && u < c.w && v < c.h && c.pixels[static_cast<std::size_t>(v * c.w + u)] != key) {
                    expected = c.pixels[static_cast<std::size_t>(v * c.w + u)];
                }
                wrong += (frame[static_cast<std::size_t>(y * W + x)] & 0xFFFFFF) != expected ? 1 : 0;
            }
        }
        EXPECT_EQ(wrong, 0U);
    }
}

TEST_P(RenderDeviceTest, ZeroScaleOrZeroAlphaDrawsNothing) {
    const TextureId t = Solid("w.bmp", 8, 8, WhiteRgb);
    ClearTo(Background);
    const auto before = device_->ReadFrame();
    Draw(t, {0, 1}, {0, 0}, 0, {10, 10});
    Draw(t, {1, 0}, {0, 0}, 0, {10, 10});
    Draw(t, {0, 0}, {4, 4}, 1.0F, {10, 10});
    Draw(t, {1, 1}, {0, 0}, 0, {10, 10}, 0x00FFFFFF);
    EXPECT_EQ(device_->ReadFrame(), before);
    // The same call with a real scale does draw, so the above proves something.
    Draw(t, {1, 1}, {0, 0}, 0, {10, 10});
    EXPECT_NE(device_->ReadFrame(), before);
}

TEST_P(RenderDeviceTest, BitmapErrorsNameTheFile) {
    const auto missing = dir_ / "nowhere" / "missing.bmp";
    try {
        device_->CreateTextureFromFile(missing, false, 0);
        FAIL() << "a missing file must throw";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::FileNotFound);
        EXPECT_EQ(e.Description(), "File non trovato: " + missing.string());
    }

    const auto garbage = dir_ / "garbage.bmp";
    {
        std::FILE* f = std::fopen(garbage.string().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("this is not a bitmap at all", f);
        std::fclose(f);
    }
    try {
        device_->CreateTextureFromFile(garbage, true, 0xFFFF00FF);
        FAIL() << "an unreadable file must throw";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::PathFileAccessError);
        EXPECT_NE(e.Description().find(garbage.string()), std::string::npos) << e.Description();
    }
}

TEST_P(RenderDeviceTest, TexturesAreNumberedFromOneAndUnknownIdsThrow) {
    EXPECT_EQ(Solid("a.bmp", 3, 5, RedRgb), 1);
    EXPECT_EQ(Solid("b.bmp", 7, 2, RedRgb), 2);
    EXPECT_EQ(device_->TextureSize(2), (Vec2{7, 2}));
    device_->BeginScene();
    device_->SpriteBegin();
    EXPECT_THROW(device_->SpriteDraw(0, {1, 1}, {0, 0}, 0, {0, 0}, 0xFFFFFFFF), Error);
    EXPECT_THROW(device_->SpriteDraw(3, {1, 1}, {0, 0}, 0, {0, 0}, 0xFFFFFFFF), Error);
    device_->SpriteEnd();
    device_->EndScene();
}

void ExpectMisuse(const std::function<void()>& call, const char* what) {
    try {
        call();
        ADD_FAILURE() << what << " should throw";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::RenderDeviceFailed) << what;
    }
}

TEST_P(RenderDeviceTest, FrameAndSpritePairingMisuseThrows) {
    auto& d = *device_;
    const TextureId t = Solid("w.bmp", 2, 2, WhiteRgb);
    ExpectMisuse([&] { d.EndScene(); }, "EndScene without BeginScene");
    ExpectMisuse([&] { d.SpriteBegin(); }, "SpriteBegin outside a scene");
    ExpectMisuse([&] { d.DrawText(1, 0xFFFFFFFF, "x", {0, 0, 10, 10}, 0); }, "DrawText outside a scene");

    d.BeginScene();
    ExpectMisuse([&] { d.BeginScene(); }, "BeginScene twice");
    ExpectMisuse([&] { d.Present(); }, "Present inside a scene");
    ExpectMisuse([&] { d.SpriteDraw(t, {1, 1}, {0, 0}, 0, {0, 0}, 0xFFFFFFFF); }, "SpriteDraw before SpriteBegin");
    ExpectMisuse([&] { d.SpriteEnd(); }, "SpriteEnd before SpriteBegin");
    d.SpriteBegin();
    ExpectMisuse([&] { d.SpriteBegin(); }, "SpriteBegin twice");
    ExpectMisuse([&] { d.EndScene(); }, "EndScene with a sprite drawing open");
    d.SpriteDraw(t, {1, 1}, {0, 0}, 0, {0, 0}, 0xFFFFFFFF);
    d.SpriteEnd();
    // The refused calls left the state as it was: this sequence is valid.
    d.EndScene();
    d.Present();
    ExpectMisuse([&] { d.CreateDevice(W, H); }, "CreateDevice twice");
}

TEST_P(RenderDeviceTest, EverythingNeedsTheDeviceCreatedFirst) {
    SdlRenderDevice fresh(window_, GameFonts(DV_OUT_DIR));
    ExpectMisuse([&] { fresh.BeginScene(); }, "BeginScene");
    ExpectMisuse([&] { fresh.Clear(clear::Target, 0, 1, 0); }, "Clear");
    ExpectMisuse([&] { fresh.Present(); }, "Present");
    ExpectMisuse([&] { fresh.CreateTextureFromFile(dir_ / "x.bmp", false, 0); }, "CreateTextureFromFile");
    ExpectMisuse([&] { fresh.CreateTextFont({"DejaVu Sans", 12, false}); }, "CreateTextFont");
    ExpectMisuse([&] { fresh.SaveScreenshot(dir_ / "x.png"); }, "SaveScreenshot");
    EXPECT_THROW(SdlRenderDevice(nullptr, GameFonts(DV_OUT_DIR)), Error);
}

// Reads a saved PNG back as 0xRRGGBB pixels.
std::vector<std::uint32_t> LoadPng(const std::filesystem::path& png, int& w, int& h) {
    SDL_Surface* loaded = IMG_Load(png.string().c_str());
    EXPECT_NE(loaded, nullptr) << IMG_GetError();
    if (loaded == nullptr) {
        return {};
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    w = argb->w;
    h = argb->h;
    std::vector<std::uint32_t> out;
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(argb->pixels) + y * argb->pitch);
        out.insert(out.end(), row, row + w);
    }
    SDL_FreeSurface(argb);
    return out;
}

class ScreenshotTest : public RenderFixture {
protected:
    void SetUp() override { Open(1000, 700); }  // not the back-buffer size, on purpose
    void ClearTo(std::uint32_t colour) { device_->Clear(clear::Target, colour, 1.0F, 0); }
    TextureId RedGreen() {
        return device_->CreateTextureFromFile(
            WriteBmp("rg.bmp", 4, 2, {RedRgb, RedRgb, GreenRgb, GreenRgb, RedRgb, RedRgb, GreenRgb, GreenRgb}), false,
            0);
    }
};

TEST_F(ScreenshotTest, SavesThePresentedFrameAtBackBufferSizeWhateverTheWindow) {
    const TextureId t = RedGreen();
    ClearTo(Background);
    Draw(t, {10, 10}, {0, 0}, 0, {100, 50});
    device_->Present();
    const auto png = dir_ / "shot.png";
    device_->SaveScreenshot(png);

    int w = 0;
    int h = 0;
    const auto saved = LoadPng(png, w, h);
    ASSERT_EQ(w, W);
    ASSERT_EQ(h, H);
    EXPECT_EQ(saved, device_->ReadFrame());
    EXPECT_EQ(saved[static_cast<std::size_t>(55 * W + 105)], 0xFF000000U | RedRgb);
    EXPECT_EQ(saved[static_cast<std::size_t>(55 * W + 135)], 0xFF000000U | GreenRgb);

    // Once the next frame has started the presented one is gone.
    ClearTo(0xFF000000);
    EXPECT_THROW(device_->SaveScreenshot(png), Error);
    device_->Present();
    EXPECT_NO_THROW(device_->SaveScreenshot(png));
}

TEST_F(ScreenshotTest, AnUnwritablePathIsAFileError) {
    device_->Present();
    try {
        device_->SaveScreenshot(dir_ / "no" / "such" / "dir" / "x.png");
        FAIL() << "saving into a missing folder must throw";
    } catch (const Error& e) {
        EXPECT_EQ(e.Number(), err::PathFileAccessError);
        EXPECT_NE(e.Description().find("x.png"), std::string::npos);
    }
}

TEST(LetterboxRect, KeepsTheAspectAndCentres) {
    const auto same = [](SDL_Rect a, SDL_Rect b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; };
    EXPECT_TRUE(same(LetterboxRect(800, 600, 800, 600), {0, 0, 800, 600}));
    EXPECT_TRUE(same(LetterboxRect(800, 600, 1600, 1200), {0, 0, 1600, 1200}));
    EXPECT_TRUE(same(LetterboxRect(800, 600, 1920, 1080), {240, 0, 1440, 1080})) << "bars left and right";
    EXPECT_TRUE(same(LetterboxRect(800, 600, 800, 1000), {0, 200, 800, 600})) << "bars above and below";
    EXPECT_TRUE(same(LetterboxRect(800, 600, 400, 300), {0, 0, 400, 300}));
    EXPECT_TRUE(same(LetterboxRect(800, 600, 0, 300), {0, 0, 0, 0}));
}

// Present paints the bars and the picture and nothing twice: every window
// pixel is the picture's or black, whatever the window held before (a new
// window surface may hold anything).
TEST_F(ScreenshotTest, ALetterboxedWindowIsThePictureBetweenBlackBars) {
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{800, 1000}, std::pair{1000, 600}}) {
        Open(w, h);
        ClearTo(0xFFFFFFFF);
        SDL_Surface* window = SDL_GetWindowSurface(window_);
        ASSERT_NE(window, nullptr) << SDL_GetError();
        ASSERT_EQ(window->format->BytesPerPixel, 4);
        ASSERT_EQ(SDL_FillRect(window, nullptr, SDL_MapRGB(window->format, 255, 0, 255)), 0);
        device_->Present();

        const SDL_Rect frame = LetterboxRect(W, H, w, h);
        int wrong = 0;
        ASSERT_EQ(SDL_LockSurface(window), 0);
        for (int y = 0; y < h; ++y) {
            const auto* bytes = static_cast<const Uint8*>(window->pixels) + y * window->pitch;
            const auto* row = reinterpret_cast<const Uint32*>(bytes);
            for (int x = 0; x < w; ++x) {
                Uint8 r = 0;
                Uint8 g = 0;
                Uint8 b = 0;
                SDL_GetRGB(row[x], window->format, &r, &g, &b);
                const bool inside = x >= frame.x && x < frame.x + frame.w && y >= frame.y && y < frame.y + frame.h;
                const Uint8 expected = inside ? 255 : 0;
                wrong += (r != expected || g != expected || b != expected) ? 1 : 0;
            }
        }
        SDL_UnlockSurface(window);
        EXPECT_EQ(wrong, 0) << w << "x" << h;
    }
}

// What a page is handed is the frame itself, every pixel opaque, and the
// window is left alone.
class PageFrameTest : public RenderFixture {
protected:
    void SetUp() override {
        pageFrames_ = true;
        RenderFixture::SetUp();
    }
};

TEST_F(PageFrameTest, APageIsHandedExactlyThePresentedFrame) {
    const TextureId t = device_->CreateTextureFromFile(
        WriteBmp("rg.bmp", 4, 2, {RedRgb, RedRgb, GreenRgb, GreenRgb, RedRgb, RedRgb, GreenRgb, GreenRgb}), false, 0);
    const TextureId half = Solid("half.bmp", 30, 20, BlueRgb);
    device_->Clear(clear::Target, Background, 1.0F, 0);
    Draw(t, {10, 10}, {0, 0}, 0, {100, 50});
    Draw(t, {6, 6}, {12, 6}, 0.7F, {300, 200});
    Draw(half, {1, 1}, {0, 0}, 0, {400, 300}, 0x80FFFFFF);
    device_->Present();
    ASSERT_EQ(shown_.size(), static_cast<std::size_t>(W * H));
    const std::vector<std::uint32_t> frame = device_->ReadFrame();
    int wrong = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        // Memory order R, G, B, A against ARGB.
        const std::uint32_t p = shown_[i];
        const std::uint32_t argb = (p & 0xFF000000U) | ((p & 0xFFU) << 16) | (p & 0xFF00U) | ((p >> 16) & 0xFFU);
        wrong += argb != frame[i] ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(frame[static_cast<std::size_t>(55 * W + 105)], 0xFF000000U | RedRgb);
}

// A picture as wide as the frame faded over the clear, as the sky does in
// two strips, is drawn into a page's frame without clearing first: the
// pixels must be exactly what the window's frame gets by clearing and then
// blending, at every alpha (one half has its own arithmetic) and wherever
// the strips divide the frame.
TEST_F(PageFrameTest, AFadedSkyIsTheSameAsOnTheWindowsFrame) {
    std::vector<std::uint32_t> sky(static_cast<std::size_t>(W * H));
    for (std::size_t i = 0; i < sky.size(); ++i) {
        sky[i] = static_cast<std::uint32_t>((i * 2654435761U) >> 8) & 0xFFFFFFU;
    }
    const auto file = WriteBmp("sky.bmp", W, H, sky);
    const TextureId onPage = device_->CreateTextureFromFile(file, false, 0);
    SdlRenderDevice window(window_, GameFonts(DV_OUT_DIR));
    window.CreateDevice(W, H);
    const TextureId onWindow = window.CreateTextureFromFile(file, false, 0);

    for (const auto& [alpha, split, clear] : {std::tuple{1U, 0, 0xFF000000U}, std::tuple{100U, 237, 0xFF203040U},
                                              std::tuple{128U, 599, 0xFFFFFFFFU}, std::tuple{128U, 300, 0xFF6A3B91U},
                                              std::tuple{200U, 1, 0xFF0A0B0CU}, std::tuple{254U, 450, 0xFF000000U}}) {
        for (SdlRenderDevice* d : {device_.get(), &window}) {
            const TextureId t = d == &window ? onWindow : onPage;
            d->Clear(clear::Target, clear, 1.0F, 0);
            d->BeginScene();
            d->SpriteBegin();
            const std::uint32_t tint = (alpha << 24) | 0xFFFFFFU;
            d->SpriteDraw(t, {1, 1}, {0, 0}, 0, {0, static_cast<float>(split)}, tint);
            d->SpriteDraw(t, {1, 1}, {0, 0}, 0, {0, static_cast<float>(split - H)}, tint);
            d->SpriteEnd();
            d->EndScene();
            d->Present();
        }
        const std::vector<std::uint32_t> page = device_->ReadFrame();
        const std::vector<std::uint32_t> windowed = window.ReadFrame();
        ASSERT_EQ(page.size(), windowed.size());
        int wrong = 0;
        for (std::size_t i = 0; i < page.size(); ++i) {
            wrong += page[i] != windowed[i] ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0) << "alpha " << alpha << ", strips divided at " << split;
        if (alpha >= 100) {
            EXPECT_LT(std::count(page.begin(), page.end(), clear), W * H / 10) << "the sky was drawn";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, RenderDeviceTest, ::testing::Values(Frames::Window, Frames::Page),
                         [](const ::testing::TestParamInfo<Frames>& info) {
                             return info.param == Frames::Window ? std::string("Window") : std::string("Page");
                         });

}  // namespace
}  // namespace dv::sdl::test
