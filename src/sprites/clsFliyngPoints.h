#pragma once
// Score labels thrown up from where points were earned, flying a ballistic
// arc while they fade in and out.
#include <array>
#include <cstdint>
#include <vector>

#include "game/Random.h"
#include "platform/RenderDevice.h"

namespace dv {

class Mdx8;

struct FlyingScore {
    std::int16_t Score = 0;
    float X = 0;
    float Y = 0;  // height above the bottom edge of the screen
    std::int32_t Angle = 0;
    float Speed = 0;
    float Time = 0;
    std::int16_t Active = 0;
    std::int32_t Age = 0;
};

class clsFliyngPoints {
public:
    // Makes the four label fonts on the helper's device.
    clsFliyngPoints(Mdx8& helper, RandomStream& random);

    void D3DX(Mdx8* helper) { d3dx_ = helper; }
    Mdx8* D3DX() const { return d3dx_; }

    void EvolveScores();
    void DrawScores();
    void InsertNewScore(std::int16_t score, std::int16_t startX, std::int16_t startY);

    const std::vector<FlyingScore>& Scores() const { return scores_; }
    std::int16_t ScoreTop() const { return static_cast<std::int16_t>(scores_.size() - 1); }

private:
    void InitScore(std::size_t i, std::int16_t score, std::int16_t startX, std::int16_t startY);

    Mdx8* d3dx_;
    RandomStream& random_;
    std::vector<FlyingScore> scores_;
    std::array<FontId, 4> labelFonts_{};
};

}  // namespace dv
