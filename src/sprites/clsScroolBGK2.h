#pragma once
// The picture behind the play screen: an endless vertical loop of four
// bitmaps, scrolled upwards, with timed bump, shake and fade actions.
#include <array>
#include <cstdint>

#include "platform/RenderDevice.h"

namespace dv {

class Mdx8;

namespace bgk {
inline constexpr std::int32_t Freeze = -1;
inline constexpr std::int32_t Bump = 1;
inline constexpr std::int32_t Shake = 2;
inline constexpr std::int32_t ScrollUp = 3;
inline constexpr std::int32_t ScrollDown = 4;
inline constexpr std::int32_t FadeOut = 5;
inline constexpr std::int32_t FadeIn = 6;
}  // namespace bgk

class clsScroolBGK2 {
public:
    std::int16_t StepY = 0;
    std::int16_t bgkWidth = 0;
    std::int16_t bgkHeight = 0;

    void D3DX(Mdx8* helper) { d3dx_ = helper; }
    Mdx8* D3DX() const { return d3dx_; }

    // Loads the four pictures (through the current directory); throws dv::Error.
    void CreateSurfaceBGK();
    void Draw();
    void EvolveBgk();
    void DoAction(std::int32_t what);
    void DrawTexBGK(std::int16_t x, std::int16_t y, std::int16_t ntex, float alpha);

    std::int16_t ScrollPos() const { return scrollPos_; }
    // The picture at the top of the screen (its lower neighbour follows it in the loop).
    std::int16_t Picture() const {
        constexpr std::array<std::int16_t, 4> loop{0, 3, 2, 1};
        return scrollPos_ >= 0 && scrollPos_ < 2400 ? loop[static_cast<std::size_t>(scrollPos_ / 600)] : -1;
    }
    std::int32_t Action() const { return bgkAction_; }
    std::int32_t PrevAction() const { return prevAction_; }
    std::int16_t ActionStep() const { return actionStep_; }
    float Alpha() const { return bgkAlpha_; }

private:
    void DoBump();
    void DoShake();
    void DoFadeOut();
    void DoFadeIn();
    void ScrollUp();
    void ScrollDown();
    // A timed action counts down to -1 and rests there until the next action.
    void CountDown();

    Mdx8* d3dx_ = nullptr;
    std::array<TextureId, 4> bgkTex_{};
    std::int16_t scrollPos_ = 0;
    std::int32_t bgkAction_ = bgk::ScrollUp;
    std::int32_t prevAction_ = bgk::ScrollUp;
    std::int16_t actionStep_ = 0;
    float bgkAlpha_ = 1.0f;
};

}  // namespace dv
