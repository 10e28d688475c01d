#include "graphics/modGrafica.h"

#include "audio/clsSound.h"
#include "audio/modDirectShow.h"

namespace dv {

modGrafica::modGrafica(Mdx8& core, Module1& game, const clsSound& sound, const modDirectShow& music,
                       IIntroReturn& form)
    : FallingSprite(game.PieceShapes), PieceSprite(game.PieceShapes), core_(core), game_(game), sound_(sound),
      music_(music), form_(form) {}

void modGrafica::InitGraphics() {
    struct Entry {
        int index;
        const char* file;
        std::uint32_t key;
    };
    static constexpr Entry table[] = {
        {1, "texBlu.bmp", KeyBlack},        {2, "texVerde.bmp", KeyBlack},       {3, "texRossa.bmp", KeyBlack},
        {4, "texGialla.bmp", KeyBlack},     {5, "texAzzurra.bmp", KeyBlack},     {6, "texArancione.bmp", KeyBlack},
        {7, "texPisello.bmp", KeyBlack},    {8, "gameover.bmp", KeyBlack},       {9, "bordocampo.bmp", KeyGrey},
        {11, "sfondopunti.bmp", KeyBlack},  {14, "100.bmp", KeyBlack},           {15, "400.bmp", KeyBlack},
        {16, "900.bmp", KeyBlack},          {17, "1600.bmp", KeyBlack},          {18, "intro1tex.bmp", KeyBlack},
        {19, "intro2tex.bmp", KeyBlack},    {20, "bordostatistiche.bmp", KeyGrey},
    };
    for (const Entry& e : table) {
        core_.Textures[static_cast<std::size_t>(e.index)] =
            core_.LoadTexture(std::filesystem::path("texture") / e.file, e.key, true);
    }
    FallingSprite.D3DX(&core_);
    FallingSprite.PixelPointing(False16);
    PieceSprite.D3DX(&core_);
    PieceSprite.PixelPointing(True16);
    PieceSprite.Rot(0);
    ScoreLabels = std::make_unique<clsFliyngPoints>(core_, game_.Rnd);
    ScoreLabels->D3DX(&core_);
    Background.D3DX(&core_);
    Background.CreateSurfaceBGK();
    IntroStep = 0;
    WobbleStep = 1;
    GameOverStep = 0;
}

void modGrafica::BeginFrame(std::uint32_t flags, std::uint32_t colour, float z) {
    IRenderDevice& device = core_.Device();
    device.Clear(flags, colour, z, 0);
    device.BeginScene();
}

void modGrafica::EndFrame() {
    IRenderDevice& device = core_.Device();
    device.EndScene();
    device.Present();
}

void modGrafica::DrawMessage(const char* text) {
    core_.Device().DrawText(core_.GameFonts[0], OpaqueWhite, text, RectL{0, 200, 800, 600}, textformat::Center);
}

void modGrafica::DrawIntro() {
    IntroStep = static_cast<std::int16_t>(IntroStep + 1);
    if (IntroStep == 641) {
        IntroStep = 1;
    }
    BeginFrame(clear::Target | clear::ZBuffer, 0xFF000000u, 1.0f);
    const int n = IntroStep;
    if (n >= 1 && n <= 59) {
        core_.DrawSprite(0, 0, 18, 1, 1, 0, 0, 0, static_cast<float>(n / 60.0));
    } else if (n >= 60 && n <= 300) {
        core_.DrawSprite(0, 0, 18, 1, 1, 0, 0, 0, 1.0f);
    } else if (n >= 301 && n <= 359) {
        const int d = n - 300;
        core_.DrawSprite(0, 0, 18, 1, 1, 0, 0, 0, static_cast<float>(1.0 - d / 60.0));
        core_.DrawSprite(0, 0, 19, 1, 1, 0, 0, 0, static_cast<float>(d / 60.0));
    } else if (n >= 360 && n <= 640) {
        core_.DrawSprite(0, 0, 19, 1, 1, 0, 0, 0, 1.0f);
    }
    EndFrame();
}

void modGrafica::DrawGame(std::int16_t state) {
    BeginFrame(clear::Target, 0xFF000000u, 0.0f);
    Background.EvolveBgk();
    Background.Draw();
    Animb.AnimStep(core_, game_.PieceShapes);
    WobbleStep = static_cast<std::int16_t>(WobbleStep + 1);
    if (WobbleStep == 21) {
        WobbleStep = 0;
    }
    DrawWellBorder();
    DrawWell();
    if (game_.CurPiece != -1) {
        FallingSprite.Pezzo(game_.CurPiece);
        FallingSprite.x(game_.PieceX);
        FallingSprite.y(game_.PieceY);
        FallingSprite.Rot(game_.PieceRot);
        FallingSprite.Draw();
    }
    if (game_.NextPiece != -1) {
        PieceSprite.x(100);
        PieceSprite.y(50);
        PieceSprite.Pezzo(game_.NextPiece);
        PieceSprite.Draw();
    }
    EvolveDebris();
    DrawScorePanel();
    DrawStats();
    if (ScoreLabels) {
        ScoreLabels->EvolveScores();
        ScoreLabels->DrawScores();
    }
    IRenderDevice& device = core_.Device();
    device.DrawText(core_.GameFonts[1], OpaqueWhite, music_.MusicOn != 0 ? "Musica: ON" : "Musica: OFF",
                    RectL{650, 500, 799, 580}, textformat::Left);
    device.DrawText(core_.GameFonts[1], OpaqueWhite, sound_.PlaySnd() != 0 ? "Suoni : ON" : "Suoni : OFF",
                    RectL{650, 520, 799, 580}, textformat::Left);
    switch (state) {
    case state::Pause: DrawMessage("PAUSA!\r\nPremi P per iniziare"); break;
    case state::ConfirmEnd: DrawMessage("Finire il gioco?\r\n(Si/No)"); break;
    case state::GameOver: GameOverStepFrame(); break;
    default: break;
    }
    EndFrame();
}

void modGrafica::GameOverStepFrame() {
    const int n = GameOverStep + 1;
    GameOverStep = static_cast<std::int16_t>(n);
    if (n >= 0 && n <= 20) {
        core_.DrawSprite(150, 50, 8, 1, 1, 0, 0, 0, static_cast<float>(n / 20.0));
    } else if (n >= 21 && n <= 250) {
        core_.DrawSprite(150, 50, 8, 1, 1, 0, 0, 0, 1.0f);
        if (n == 51) {
            Background.DoAction(bgk::FadeOut);
        }
    } else if (n == 251) {
        form_.GoIntro();
        GameOverStep = 0;
    }
}

void modGrafica::DrawQuitConfirm() {
    BeginFrame(clear::Target | clear::ZBuffer, 0x00000000u, 1.0f);
    DrawMessage("Vuoi veramente uscire?\r\n(Si/No)");
    EndFrame();
}

}  // namespace dv
