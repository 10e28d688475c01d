// The draw calls a player's picture depends on, frame by frame.
#include <gtest/gtest.h>

#include <algorithm>

#include "TestGame.h"

namespace dv::test {
namespace {

float AlphaOf(const DrawCall& c) {
    return static_cast<float>(c.colour >> 24) / 255.0f;
}

const DrawCall* FindText(const std::vector<DrawCall>& texts, const std::string& text) {
    auto it = std::find_if(texts.begin(), texts.end(), [&](const DrawCall& c) { return c.text == text; });
    return it == texts.end() ? nullptr : &*it;
}

// Draws one play-screen frame in `state` outside the tick.
void DrawPlayFrame(TestGame& t, std::int16_t state = state::Play) {
    t.form.Screens().DrawGame(state);
}

TEST(Screens, TextureTableAndFontsAreLoadedAsListed) {
    TestGame t;
    const Mdx8& g = t.form.Graphics();
    for (int empty : {0, 10, 12, 13}) {
        EXPECT_EQ(g.Textures[static_cast<std::size_t>(empty)], 0) << "slot " << empty;
    }
    EXPECT_EQ(t.render.TextureFile(g.Textures[3]), "texRossa.bmp");
    EXPECT_EQ(t.render.TextureFile(g.Textures[20]), "bordostatistiche.bmp");
    for (const LoadedTexture& tex : t.render.Textures()) {
        const std::string name = tex.file.filename().string();
        const bool frame = name == "bordocampo.bmp" || name == "bordostatistiche.bmp";
        EXPECT_TRUE(tex.useKey) << name;
        EXPECT_EQ(tex.colourKey, frame ? KeyGrey : KeyBlack) << name;
        EXPECT_EQ(tex.file.parent_path().filename(), "texture") << name;
    }
    EXPECT_EQ(t.render.Textures().size(), 17u + 4u) << "the table and the four backgrounds";
}

TEST(Screens, ThePlayScreenDrawsTheWellPanelsAndSwitches) {
    TestGame t;
    t.StartGame();
    t.g().Well(0, 25) = 3;
    t.g().PieceStats = {0, 0, 12, 0, 0, 0, 0, 0};
    DrawPlayFrame(t);
    const auto sprites = t.render.Sprites();
    auto at = std::find_if(sprites.begin(), sprites.end(),
                           [](const DrawCall& c) { return c.translation == Vec2{300, 539}; });
    ASSERT_NE(at, sprites.end()) << "well cell (0, 25)";
    EXPECT_EQ(t.render.TextureFile(at->texture), "texRossa.bmp");
    EXPECT_EQ(at->scale, (Vec2{1, 1}));

    const auto texts = t.render.Texts();
    ASSERT_NE(FindText(texts, "Musica: OFF"), nullptr);
    EXPECT_EQ(FindText(texts, "Musica: OFF")->rect, (RectL{650, 500, 799, 580}));
    ASSERT_NE(FindText(texts, "Suoni : ON"), nullptr);
    EXPECT_EQ(FindText(texts, "Suoni : ON")->rect, (RectL{650, 520, 799, 580}));
    const DrawCall* twelve = FindText(texts, " 12");
    ASSERT_NE(twelve, nullptr) << "counts keep a leading blank";
    EXPECT_EQ(twelve->rect, (RectL{110, 135 + 70, 150, 165 + 70}));
    EXPECT_EQ(twelve->format, textformat::Left);
    EXPECT_EQ(std::count_if(texts.begin(), texts.end(), [](const DrawCall& c) { return c.text == " 0"; }), 6);
    EXPECT_NE(FindText(texts, "0"), nullptr) << "lines and score have no blank";

    // Frame order: the background first, the frame before the cells.
    const auto& frame = t.render.Frame();
    EXPECT_EQ(frame.front().kind, DrawCall::Kind::Clear);
    EXPECT_EQ(frame.front().flags, clear::Target);
    EXPECT_EQ(t.render.TextureFile(sprites[0].texture), "bgk1tex.bmp");
    auto border = std::find_if(sprites.begin(), sprites.end(), [&](const DrawCall& c) {
        return t.render.TextureFile(c.texture) == "bordocampo.bmp";
    });
    ASSERT_NE(border, sprites.end());
    EXPECT_EQ(border->translation, (Vec2{141, 64}));
    EXPECT_LT(border, at);
}

TEST(Screens, TheScorePanelSwaysBothNumbersInOppositeDirections) {
    TestGame t;
    t.StartGame();
    // DrawGame advances WobbleStep first, so set the step before the one wanted.
    for (auto [before, lines, score] : {std::tuple{20, 652.5, 632.5}, {9, 642.5, 642.5}, {19, 652.5, 632.5}}) {
        t.form.Screens().WobbleStep = static_cast<std::int16_t>(before);
        DrawPlayFrame(t);
        const auto texts = t.render.Texts();
        const DrawCall& l = texts[0];
        const DrawCall& s = texts[1];
        EXPECT_EQ((l.rect.left + l.rect.right) / 2.0, lines) << "step after " << before;
        EXPECT_EQ((s.rect.left + s.rect.right) / 2.0, score) << "step after " << before;
        EXPECT_EQ(l.rect.top, 75);
        EXPECT_EQ(s.rect.top, 125);
        EXPECT_EQ(l.format, textformat::Center);
    }
}

TEST(Screens, NothingIsDrawnForAPieceThatIsNotThere) {
    TestGame t;
    t.StartGame();
    DrawPlayFrame(t);
    const std::size_t withPieces = t.render.Sprites().size();
    t.g().CurPiece = -1;
    DrawPlayFrame(t);
    EXPECT_EQ(t.render.Sprites().size(), withPieces - 4);
    t.g().NextPiece = -1;
    DrawPlayFrame(t);
    EXPECT_EQ(t.render.Sprites().size(), withPieces - 8);
}

TEST(Screens, MessagesOfPauseQuestionsAndTheQuitScreenAlone) {
    TestGame t;
    t.StartGame();
    DrawPlayFrame(t, state::Pause);
    const std::vector<DrawCall> texts = t.render.Texts();
    const DrawCall* pause = FindText(texts, "PAUSA!\r\nPremi P per iniziare");
    ASSERT_NE(pause, nullptr);
    EXPECT_EQ(pause->rect, (RectL{0, 200, 800, 600}));
    EXPECT_EQ(pause->format, textformat::Center);
    EXPECT_EQ(pause->colour, OpaqueWhite);
    DrawPlayFrame(t, state::ConfirmEnd);
    const std::vector<DrawCall> question = t.render.Texts();
    EXPECT_NE(FindText(question, "Finire il gioco?\r\n(Si/No)"), nullptr);
    EXPECT_GT(t.render.Sprites().size(), 20u) << "the play screen stays under the question";

    t.form.Screens().DrawQuitConfirm();
    EXPECT_TRUE(t.render.Sprites().empty()) << "only the message, on black";
    ASSERT_EQ(t.render.Texts().size(), 1u);
    EXPECT_EQ(t.render.Texts()[0].text, "Vuoi veramente uscire?\r\n(Si/No)");
    EXPECT_EQ(t.render.Frame().front().colour, 0x00000000u);
    EXPECT_EQ(t.render.Frame().front().flags, clear::Target | clear::ZBuffer);
}

TEST(Screens, TheIntroCrossFadesOver640Frames) {
    TestGame t;
    modGrafica& s = t.form.Screens();
    auto frame = [&](int n) {
        s.IntroStep = static_cast<std::int16_t>(n - 1);
        s.DrawIntro();
        return t.render.Sprites();
    };
    auto one = frame(1);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_NEAR(AlphaOf(one[0]), 1.0 / 60, 0.003);
    auto f300 = frame(300);
    ASSERT_EQ(f300.size(), 1u);
    EXPECT_EQ(t.render.TextureFile(f300[0].texture), "intro1tex.bmp");
    EXPECT_EQ(f300[0].colour, OpaqueWhite);
    auto f301 = frame(301);
    ASSERT_EQ(f301.size(), 2u);
    EXPECT_EQ(t.render.TextureFile(f301[1].texture), "intro2tex.bmp") << "the second picture on top";
    EXPECT_NEAR(AlphaOf(f301[0]), 59.0 / 60, 0.003);
    EXPECT_NEAR(AlphaOf(f301[1]), 1.0 / 60, 0.003);
    auto f360 = frame(360);
    ASSERT_EQ(f360.size(), 1u);
    EXPECT_EQ(t.render.TextureFile(f360[0].texture), "intro2tex.bmp");
    frame(640);
    EXPECT_EQ(s.IntroStep, 640);
    frame(641);
    EXPECT_EQ(s.IntroStep, 1) << "after 640 the cycle starts again";
}

TEST(Screens, TheGameOverPictureFadesInOverTwentyFrames) {
    TestGame t;
    t.StartGame();
    modGrafica& s = t.form.Screens();
    auto pictureAlpha = [&](int n) {
        s.GameOverStep = static_cast<std::int16_t>(n - 1);
        DrawPlayFrame(t, state::GameOver);
        for (const DrawCall& c : t.render.Sprites()) {
            if (t.render.TextureFile(c.texture) == "gameover.bmp") {
                EXPECT_EQ(c.translation, (Vec2{150, 50}));
                return AlphaOf(c);
            }
        }
        return -1.0f;
    };
    EXPECT_NEAR(pictureAlpha(1), 1.0 / 20, 0.003);
    EXPECT_EQ(pictureAlpha(20), 1.0f);
    EXPECT_EQ(pictureAlpha(21), 1.0f);
    EXPECT_EQ(pictureAlpha(250), 1.0f);
    EXPECT_EQ(pictureAlpha(251), -1.0f) << "no picture on the last frame";
    EXPECT_EQ(t.g().GameState, state::Intro);
}

TEST(Screens, ThePreviewSpinsAndOddSettingsAreIgnored) {
    TestGame t;
    clsPezzo sprite(t.g().PieceShapes);
    sprite.D3DX(&t.form.Graphics());
    sprite.Rot(0);
    sprite.Pezzo(7);
    std::vector<int> changes;
    std::vector<std::pair<float, float>> last;
    for (int draw = 1; draw <= 100; ++draw) {
        t.render.Clear(1, 0, 0, 0);
        t.render.BeginScene();
        sprite.Draw();
        t.render.EndScene();
        std::vector<std::pair<float, float>> cells;
        for (const DrawCall& c : t.render.Sprites()) {
            cells.emplace_back(c.translation.x, c.translation.y);
        }
        if (draw > 1 && cells != last) {
            changes.push_back(draw);
        }
        last = cells;
    }
    EXPECT_EQ(changes, (std::vector<int>{33, 66, 99}));

    sprite.Pezzo(0);
    sprite.Pezzo(8);
    EXPECT_EQ(sprite.Pezzo(), 7);
    sprite.Rot(5);
    sprite.Rot(-1);
    EXPECT_EQ(sprite.Rot(), 0);
    sprite.PixelPointing(5);
    EXPECT_EQ(sprite.PixelPointing(), -1);
    // Well mode draws on the well's grid; a zero scale still draws, at zero size.
    sprite.PixelPointing(0);
    sprite.Rot(1);
    sprite.Pezzo(4);
    sprite.x(0);
    sprite.y(2);
    sprite.Scala(0);
    t.render.Clear(1, 0, 0, 0);
    t.render.BeginScene();
    sprite.Draw();
    t.render.EndScene();
    const auto cells = t.render.Sprites();
    ASSERT_EQ(cells.size(), 4u);
    EXPECT_EQ(cells[0].translation, (Vec2{281, 64}));
    EXPECT_EQ(cells[0].scale, (Vec2{0, 0}));
}

}  // namespace
}  // namespace dv::test
