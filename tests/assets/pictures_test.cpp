#include "asset_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

using namespace assettest;

namespace {

constexpr int kGrey = 79; // the frames' transparent colour

struct Expected {
    const char* name;
    int w, h;
};
const Expected kPictures[] = {
    {"texBlu.bmp", 19, 19}, {"texVerde.bmp", 19, 19}, {"texRossa.bmp", 19, 19}, {"texGialla.bmp", 19, 19},
    {"texAzzurra.bmp", 19, 19}, {"texArancione.bmp", 19, 19}, {"texPisello.bmp", 19, 19},
    {"gameover.bmp", 500, 200}, {"bordocampo.bmp", 360, 504}, {"sfondopunti.bmp", 200, 140},
    {"100.bmp", 32, 16}, {"400.bmp", 64, 32}, {"900.bmp", 128, 64}, {"1600.bmp", 128, 64},
    {"intro1tex.bmp", 800, 600}, {"intro2tex.bmp", 800, 600}, {"bordostatistiche.bmp", 120, 290},
    {"bgk1tex.bmp", 800, 600}, {"bgk2tex.bmp", 800, 600}, {"bgk3tex.bmp", 800, 600}, {"bgk4tex.bmp", 800, 600},
};
const char* kCells[] = {"texBlu.bmp", "texVerde.bmp", "texRossa.bmp", "texGialla.bmp",
                        "texAzzurra.bmp", "texArancione.bmp", "texPisello.bmp"};

float meanLuma(const Image& img, int x0, int y0, int x1, int y1)
{
    double s = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            s += img.luma(x, y);
    return static_cast<float>(s / ((x1 - x0 + 1) * (y1 - y0 + 1)));
}

// Mean absolute colour difference, per channel, between row ya of a and row yb of b.
double rowDifference(const Image& a, int ya, const Image& b, int yb)
{
    double s = 0;
    for (int x = 0; x < a.w; ++x)
        for (int c = 0; c < 3; ++c)
            s += std::abs(a.px(x, ya)[c] - b.px(x, yb)[c]);
    return s / (3.0 * a.w);
}

} // namespace

TEST(Pictures, EveryFileLoadsAt24BitsWithItsSize)
{
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.name);
        const Image img = loadBmp(e.name);
        EXPECT_EQ(img.bitsPerPixel, 24);
        EXPECT_EQ(img.w, e.w);
        EXPECT_EQ(img.h, e.h);
    }
}

TEST(Pictures, TextureFolderHoldsExactlyTheGamesFiles)
{
    std::set<std::string> want, got;
    for (const Expected& e : kPictures)
        want.insert(e.name);
    for (const auto& entry : std::filesystem::directory_iterator(assetPath("texture")))
        got.insert(entry.path().filename().string());
    EXPECT_EQ(got, want);
}

TEST(Frames, WellOpeningAndLeftSideAreExactlyTheGreyKey)
{
    const Image img = loadBmp("bordocampo.bmp");
    ASSERT_EQ(img.w, 360);
    int wrong = 0;
    for (int y = 0; y <= 493; ++y)
        for (int x = 159; x <= 348; ++x)
            wrong += !img.isKey(x, y, kGrey);
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x <= 148; ++x)
            wrong += !img.isKey(x, y, kGrey);
    EXPECT_EQ(wrong, 0);

    // The borders themselves are solid: left, right and bottom.
    int holes = 0;
    for (int y = 4; y < 490; ++y)
        for (int x : {151, 156, 351, 356})
            holes += img.isKey(x, y, kGrey);
    for (int x = 160; x < 348; ++x)
        for (int y : {496, 501})
            holes += img.isKey(x, y, kGrey);
    EXPECT_EQ(holes, 0);
}

TEST(Frames, StatisticsFrameKeepsPieceAndCountAreasCalm)
{
    const Image img = loadBmp("bordostatistiche.bmp");
    ASSERT_EQ(img.h, 290);
    EXPECT_TRUE(img.isKey(0, 0, kGrey)); // rounded corner
    // The title: bright warm pixels in the top band.
    int title = 0;
    for (int y = 4; y < 32; ++y)
        for (int x = 20; x < 100; ++x)
            title += img.px(x, y)[0] > 180 && img.px(x, y)[0] > img.px(x, y)[2] + 60;
    EXPECT_GT(title, 40);
    // Pieces at x 40..75, counts at x 70..110, slots from y 35 to 280: dark and even.
    for (int p = 1; p <= 7; ++p) {
        SCOPED_TRACE(p);
        float lo = 1, hi = 0;
        for (int y = 35 * p; y < 35 * p + 35; ++y)
            for (int x = 40; x <= 110; ++x) {
                const float l = img.luma(x, y);
                lo = std::min(lo, l);
                hi = std::max(hi, l);
            }
        EXPECT_LT(hi, 0.2f);
        EXPECT_LT(hi - lo, 0.08f);
    }
}

TEST(ScorePanel, NumberBandsAreDarkAndLabelsSitOutsideThem)
{
    const Image img = loadBmp("sfondopunti.bmp");
    ASSERT_EQ(img.w, 200);
    // Lines: image rows 25..65, centred in x 30..155 with sway; score: rows
    // 75..115, centred in 0..175 with sway. White digits must read there.
    auto checkCalm = [&](int x0, int y0, int x1, int y1) {
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (!img.isKey(x, y, 0)) {
                    ASSERT_LT(img.luma(x, y), 0.2f) << x << "," << y;
                }
    };
    checkCalm(20, 25, 165, 65);
    checkCalm(8, 75, 185, 115);
    // Labels: warm bright lettering above the first band and below the second.
    auto warm = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = 0; x < img.w; ++x)
                n += img.px(x, y)[0] > 180 && img.px(x, y)[0] > img.px(x, y)[2] + 60;
        return n;
    };
    EXPECT_GT(warm(0, 24), 30);
    EXPECT_GT(warm(116, 139), 30);
}

TEST(Cells, FillTheirSquareWithADarkerRimInSevenDistinctColours)
{
    std::vector<std::array<double, 3>> faces;
    for (const char* name : kCells) {
        SCOPED_TRACE(name);
        const Image img = loadBmp(name);
        ASSERT_EQ(img.w, 19);
        int keyed = 0;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 19; ++x)
                keyed += img.isKey(x, y, 0);
        EXPECT_EQ(keyed, 0);
        float rim = 0;
        for (int i = 0; i < 19; ++i)
            rim += img.luma(i, 0) + img.luma(i, 18) + img.luma(0, i) + img.luma(18, i);
        EXPECT_LT(rim / 76, meanLuma(img, 4, 4, 14, 14));
        std::array<double, 3> face{};
        for (int y = 5; y <= 13; ++y)
            for (int x = 5; x <= 13; ++x)
                for (int c = 0; c < 3; ++c)
                    face[static_cast<std::size_t>(c)] += img.px(x, y)[c] / 81.0;
        faces.push_back(face);
    }
    // Every pair of colours must be told apart at a glance.
    for (std::size_t i = 0; i < faces.size(); ++i)
        for (std::size_t j = i + 1; j < faces.size(); ++j) {
            double d = 0;
            for (int c = 0; c < 3; ++c)
                d += std::pow(faces[i][static_cast<std::size_t>(c)] - faces[j][static_cast<std::size_t>(c)], 2);
            EXPECT_GT(std::sqrt(d), 45.0) << kCells[i] << " vs " << kCells[j];
        }
}

TEST(Lettering, KeyedPicturesHaveClearSurroundsAndNoBlackFringe)
{
    for (const char* name : {"gameover.bmp", "100.bmp", "400.bmp", "900.bmp", "1600.bmp", "sfondopunti.bmp"}) {
        SCOPED_TRACE(name);
        const Image img = loadBmp(name);
        ASSERT_GT(img.w, 0);
        EXPECT_TRUE(img.isKey(0, 0, 0));
        EXPECT_TRUE(img.isKey(img.w - 1, img.h - 1, 0));
        int opaque = 0, fringe = 0;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x) {
                if (img.isKey(x, y, 0))
                    continue;
                ++opaque;
                bool edge = false;
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int nx = x + dx, ny = y + dy;
                    edge |= nx >= 0 && ny >= 0 && nx < img.w && ny < img.h && img.isKey(nx, ny, 0);
                }
                // An edge blended towards black would come out nearly black once
                // the key has removed its neighbours.
                const auto* p = img.px(x, y);
                if (edge && std::max({p[0], p[1], p[2]}) < 12)
                    ++fringe;
            }
        EXPECT_EQ(fringe, 0);
        EXPECT_GT(opaque, img.w * img.h / 8);
    }
    // The points lettering leaves a transparent margin, so growing it never shows a box edge.
    for (const char* name : {"100.bmp", "400.bmp", "900.bmp", "1600.bmp"}) {
        SCOPED_TRACE(name);
        const Image img = loadBmp(name);
        for (int x = 0; x < img.w; ++x)
            EXPECT_TRUE(img.isKey(x, 0, 0) && img.isKey(x, img.h - 1, 0));
    }
}

TEST(Screens, OpaqueAndFreeOfTheKey)
{
    for (const char* name : {"intro1tex.bmp", "intro2tex.bmp", "bgk1tex.bmp", "bgk2tex.bmp", "bgk3tex.bmp",
                             "bgk4tex.bmp"}) {
        SCOPED_TRACE(name);
        const Image img = loadBmp(name);
        int black = 0;
        for (int y = 0; y < img.h; ++y)
            for (int x = 0; x < img.w; ++x)
                black += img.isKey(x, y, 0);
        EXPECT_EQ(black, 0);
    }
}

TEST(Backgrounds, DimEnoughForThePlayfield)
{
    for (const char* name : {"bgk1tex.bmp", "bgk2tex.bmp", "bgk3tex.bmp", "bgk4tex.bmp"}) {
        SCOPED_TRACE(name);
        const Image img = loadBmp(name);
        ASSERT_EQ(img.w, 800);
        const float mean = meanLuma(img, 0, 0, 799, 599);
        EXPECT_LT(mean, 0.16f);
        EXPECT_GT(mean, 0.02f); // not a blank black sheet either
    }
}

TEST(Backgrounds, SeamsOfTheLoopAreNoWorseThanNeighbouringRows)
{
    const char* order[] = {"bgk2tex.bmp", "bgk3tex.bmp", "bgk4tex.bmp", "bgk1tex.bmp"};
    std::vector<Image> imgs;
    for (const char* n : order)
        imgs.push_back(loadBmp(n));
    for (const Image& i : imgs)
        ASSERT_EQ(i.h, 600);

    std::vector<double> inside;
    for (const Image& img : imgs)
        for (int y = 0; y + 1 < img.h; ++y)
            inside.push_back(rowDifference(img, y, img, y + 1));
    std::sort(inside.begin(), inside.end());
    const double typical = inside[inside.size() / 2], high = inside[inside.size() * 9 / 10];
    std::printf("neighbouring rows: median %.3f, 90th percentile %.3f\n", typical, high);

    for (std::size_t i = 0; i < 4; ++i) {
        const Image& a = imgs[i];
        const Image& b = imgs[(i + 1) % 4];
        const double seam = rowDifference(a, 599, b, 0);
        std::printf("seam %s -> %s: %.3f\n", order[i], order[(i + 1) % 4], seam);
        EXPECT_LE(seam, high) << order[i] << " -> " << order[(i + 1) % 4];
    }
}
