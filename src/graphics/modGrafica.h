#pragma once
// The screens: the intro, the play screen in its four states and the quit
// question, with the panels, the bursting cells and the objects they drive.
#include <array>
#include <cstdint>
#include <memory>

#include "game/Module1.h"
#include "graphics/Mdx8.h"
#include "sprites/clsFliyngPoints.h"
#include "sprites/clsPezzo.h"
#include "sprites/clsScroolBGK2.h"
#include "sprites/modAnimb.h"

namespace dv {

class clsSound;
class modDirectShow;

// The way back to the intro at the end of the game-over pictures.
class IIntroReturn {
public:
    virtual ~IIntroReturn() = default;
    virtual void GoIntro() = 0;
};

struct DebrisCell {
    float X = 0;
    float Y = 0;  // height above the bottom edge of the screen
    float Z = 0;
    std::int32_t Angle = 0;
    float Speed = 0;
    float Time = 0;
    std::int16_t Active = 0;
    std::int16_t Tex = 0;
};

class modGrafica {
public:
    modGrafica(Mdx8& core, Module1& game, const clsSound& sound, const modDirectShow& music, IIntroReturn& form);

    // Loads the texture table and makes the drawing objects; throws dv::Error.
    void InitGraphics();

    void DrawIntro();
    void DrawGame(std::int16_t state);
    void DrawQuitConfirm();

    void DrawWellBorder();
    void DrawWell();
    void DrawScorePanel();
    void DrawStats();

    void SpawnDebris();
    void EvolveDebris();
    void DrawDebrisCell(std::int16_t x, std::int16_t y, float angle, std::int16_t tex, std::int16_t size, double scale);

    std::int16_t IntroStep = 0;
    std::int16_t WobbleStep = 0;
    std::int16_t GameOverStep = 0;

    clsPezzo FallingSprite;
    clsPezzo PieceSprite;
    std::unique_ptr<clsFliyngPoints> ScoreLabels;
    clsScroolBGK2 Background;
    modAnimb Animb;
    std::array<DebrisCell, 101> Debris{};

private:
    void BeginFrame(std::uint32_t flags, std::uint32_t colour, float z);
    void EndFrame();
    void DrawMessage(const char* text);
    void GameOverStepFrame();

    Mdx8& core_;
    Module1& game_;
    const clsSound& sound_;
    const modDirectShow& music_;
    IIntroReturn& form_;
};

}  // namespace dv
