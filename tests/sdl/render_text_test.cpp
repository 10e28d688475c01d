// SdlRenderDevice text: font choice and size, line layout, alignment,
// clipping and the cache of rendered lines, checked on drawn pixels.
#include "RenderFixture.h"
#include "platform/Error.h"

namespace dv::sdl::test {
namespace {

constexpr std::uint32_t Black = 0xFF000000;

class RenderTextTest : public RenderFixture {
protected:
    void SetUp() override {
        RenderFixture::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        font_ = device_->CreateTextFont({"DejaVu Sans", 24, false});
        device_->Clear(clear::Target, Black, 1.0F, 0);
    }

    Bounds Lit() const { return LitBounds(device_->ReadFrame(), Black); }

    // Tops of the runs of rows that hold lit pixels, from the top down.
    std::vector<int> LitRowRuns() const {
        const auto frame = device_->ReadFrame();
        std::vector<int> tops;
        bool previous = false;
        for (int y = 0; y < H; ++y) {
            bool lit = false;
            for (int x = 0; x < W && !lit; ++x) {
                lit = !Near(frame[static_cast<std::size_t>(y * W + x)], Black, 8);
            }
            if (lit && !previous) {
                tops.push_back(y);
            }
            previous = lit;
        }
        return tops;
    }

    FontId font_ = 0;
};

TEST(FontChoice, FollowsFontconfigAndNinetySixDpi) {
    EXPECT_EQ(PixelSizeForPoints(24), 32);
    EXPECT_EQ(PixelSizeForPoints(12), 16);
    EXPECT_EQ(PixelSizeForPoints(10), 13);
    EXPECT_EQ(PixelSizeForPoints(11), 15);

    const os::FontLocator fonts(GameFonts(DV_OUT_DIR));
    const FontMatch bold = fonts.Find("Comic Sans MS", true);
    const FontMatch regular = fonts.Find("Comic Sans MS", false);
    EXPECT_EQ(bold.file.filename(), "ComicNeue-Bold.otf");
    EXPECT_NE(regular.file, bold.file);
    // The label face is misspelt in the game; whatever stands in must exist.
    EXPECT_TRUE(std::filesystem::exists(fonts.Find("Comics sans MS", false).file));
}

TEST_F(RenderTextTest, PointSizeBecomesTheNinetySixDpiPixelSize) {
    const FontId small = device_->CreateTextFont({"DejaVu Sans", 12, false});
    EXPECT_EQ(device_->CreateTextFont({"DejaVu Sans", 24, false}), font_) << "same description, same font";
    EXPECT_GE(device_->FontHeight(font_), 32);
    EXPECT_LE(device_->FontHeight(font_), 48);
    EXPECT_GE(device_->FontLineSkip(small), 16);
    EXPECT_LE(device_->FontLineSkip(small), 24);

    // A capital's height is about 0.73 em: 23 px at 32 px, 17 px had the
    // points been taken as pixels.
    Text(font_, 0xFFFFFFFF, "H", {100, 100, 400, 200}, textformat::Left);
    const Bounds h = Lit();
    EXPECT_GE(h.bottom - h.top + 1, 21);
    EXPECT_LE(h.bottom - h.top + 1, 25);
}

TEST_F(RenderTextTest, GameFontsOpenAndDraw) {
    const FontId title = device_->CreateTextFont({"Comic Sans MS", 24, true});
    const FontId label = device_->CreateTextFont({"Comics sans MS", 12, false});
    EXPECT_EQ(device_->FontFile(title).file.filename(), "ComicNeue-Bold.otf");
    Text(title, 0xFFFFFFFF, "Livello 3", {0, 0, 400, 100}, textformat::Left);
    Text(label, 0xFFFFFFFF, "Punti", {0, 200, 400, 300}, textformat::Left);
    const Bounds b = Lit();
    EXPECT_LT(b.top, 40);
    EXPECT_GE(b.bottom, 200);
}

TEST_F(RenderTextTest, LeftAlignedStartsAtTheLeftAndCentredCentresEachLine) {
    Text(font_, 0xFFFFFFFF, "Hello", {100, 100, 500, 200}, textformat::Left);
    const Bounds left = Lit();
    EXPECT_GE(left.left, 100);
    EXPECT_LE(left.left, 104);
    EXPECT_GE(left.top, 100);

    device_->Clear(clear::Target, Black, 1.0F, 0);
    Text(font_, 0xFFFFFFFF, "Hello", {100, 100, 500, 200}, textformat::Center);
    const Bounds centred = Lit();
    EXPECT_NEAR((centred.left + centred.right + 1) / 2.0, 300.0, 2.5);

    // Each line on its own: a short line under a long one is centred too.
    device_->Clear(clear::Target, Black, 1.0F, 0);
    Text(font_, 0xFFFFFFFF, "WWWWWWWW\r\nii", {100, 100, 700, 300}, textformat::Center);
    const auto frame = device_->ReadFrame();
    const int secondTop = 100 + device_->FontLineSkip(font_);
    int minX = W;
    int maxX = -1;
    for (int y = secondTop; y < secondTop + device_->FontLineSkip(font_); ++y) {
        for (int x = 0; x < W; ++x) {
            if (!Near(frame[static_cast<std::size_t>(y * W + x)], Black, 8)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
        }
    }
    ASSERT_LE(minX, maxX);
    EXPECT_NEAR((minX + maxX + 1) / 2.0, 400.0, 2.5);
    EXPECT_LT(maxX - minX, 40) << "only the short line is in this band";
}

TEST_F(RenderTextTest, LineBreaksMoveDownOneLineSkip) {
    const int skip = device_->FontLineSkip(font_);
    for (const char* text : {"H\r\nH", "H\nH", "H\r\n\r\nH"}) {
        device_->Clear(clear::Target, Black, 1.0F, 0);
        Text(font_, 0xFFFFFFFF, text, {50, 60, 400, 500}, textformat::Left);
        const auto tops = LitRowRuns();
        ASSERT_EQ(tops.size(), 2U) << text;
        const int lines = std::string_view(text).find("\r\n\r\n") != std::string_view::npos ? 2 : 1;
        EXPECT_EQ(tops[1] - tops[0], lines * skip) << text;
    }
}

TEST_F(RenderTextTest, TextIsClippedToItsRectangle) {
    const RectL box{100, 100, 160, 115};
    Text(font_, 0xFFFFFFFF, "WWWWWWWWWW\r\nWWWWWWWWWW", box, textformat::Left);
    const Bounds b = Lit();
    ASSERT_FALSE(b.Empty());
    EXPECT_GE(b.left, box.left);
    EXPECT_EQ(b.right, box.right - 1) << "the line runs on past the right edge and is cut there";
    EXPECT_EQ(b.bottom, box.bottom - 1) << "the glyphs run on past the bottom and are cut there";

    // The clip ends with the call: a sprite drawn afterwards elsewhere shows.
    const TextureId t = Solid("w.bmp", 4, 4, 0xFFFFFF);
    Draw(t, {1, 1}, {0, 0}, 0, {300, 300});
    EXPECT_TRUE(Near(Pixel(301, 301), 0xFFFFFF, 0));
}

TEST_F(RenderTextTest, AnInvertedRectangleDrawsUnclippedFromItsTopLeft) {
    Text(font_, 0xFFFFFFFF, "Bravo!", {600, 400, 0, 0}, textformat::Left);
    const Bounds b = Lit();
    ASSERT_FALSE(b.Empty());
    EXPECT_GE(b.left, 600);
    EXPECT_LE(b.left, 604);
    EXPECT_GE(b.top, 400);
    EXPECT_LT(b.top, 400 + device_->FontLineSkip(font_));
    EXPECT_GT(b.right, 650);

    // An empty but upright rectangle, by contrast, shows nothing.
    device_->Clear(clear::Target, Black, 1.0F, 0);
    Text(font_, 0xFFFFFFFF, "Bravo!", {600, 400, 600, 450}, textformat::Left);
    EXPECT_TRUE(Lit().Empty());
}

TEST_F(RenderTextTest, ColourIsAppliedPerDrawingOfTheSameCachedLine) {
    device_->BeginScene();
    device_->DrawText(font_, 0xFFFF0000, "H", {100, 100, 200, 200}, textformat::Left);
    device_->DrawText(font_, 0xFF00FF00, "H", {300, 100, 400, 200}, textformat::Left);
    device_->DrawText(font_, 0x80FFFFFF, "H", {500, 100, 600, 200}, textformat::Left);
    device_->EndScene();
    const auto frame = device_->ReadFrame();
    const auto peak = [&](int x0, int x1, int (*channel)(std::uint32_t)) {
        int best = 0;
        for (int y = 100; y < 200; ++y) {
            for (int x = x0; x < x1; ++x) {
                best = std::max(best, channel(frame[static_cast<std::size_t>(y * W + x)]));
            }
        }
        return best;
    };
    EXPECT_GT(peak(100, 200, Red), 240);
    EXPECT_EQ(peak(100, 200, Green), 0);
    EXPECT_EQ(peak(300, 400, Red), 0);
    EXPECT_GT(peak(300, 400, Green), 240);
    EXPECT_NEAR(peak(500, 600, Blue), 128, 3) << "half alpha over black";
}

TEST_F(RenderTextTest, CacheKeepsUnchangedLinesAndStaysBounded) {
    const TextLine first = device_->CachedTextLine(font_, "Punti: 1200");
    ASSERT_NE(first.texture, nullptr);
    Text(font_, 0xFFFFFFFF, "Punti: 1200", {0, 0, 400, 100}, textformat::Left);
    EXPECT_EQ(device_->CachedTextLine(font_, "Punti: 1200").texture, first.texture);
    EXPECT_EQ(device_->TextCacheSize(), 1U);

    // Same text in another font is another line.
    const FontId other = device_->CreateTextFont({"DejaVu Sans", 12, false});
    EXPECT_NE(device_->CachedTextLine(other, "Punti: 1200").texture, first.texture);
    EXPECT_EQ(device_->TextCacheSize(), 2U);

    // A score that changes every frame must not grow the cache for ever.
    device_->BeginScene();
    for (int score = 0; score < 1000; ++score) {
        device_->DrawText(font_, 0xFFFFFFFF, "Punti: " + std::to_string(score), {0, 0, 400, 100}, textformat::Left);
    }
    device_->EndScene();
    EXPECT_EQ(device_->TextCacheSize(), SdlText::CacheCapacity);
    EXPECT_THROW(device_->CachedTextLine(99, "x"), Error);
}

}  // namespace
}  // namespace dv::sdl::test
