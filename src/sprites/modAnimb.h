#pragma once
// The short shrinking image of a piece where it has just landed.
#include <cstdint>

#include "game/Module1.h"

namespace dv {

class Mdx8;

class modAnimb {
public:
    void AnimStart(std::int16_t piece, std::int16_t rotation, std::int16_t column, std::int16_t row);
    // Draws one frame under the well's cells; nothing when idle.
    void AnimStep(Mdx8& helper, const PieceShapeTable& shapes);

    bool Active() const { return animActive_ != 0; }
    std::int16_t AnimActive() const { return animActive_; }
    std::int16_t FramesLeft() const { return animFrames_; }
    std::int16_t Piece() const { return animPiece_; }
    std::int16_t Rotation() const { return animRot_; }
    std::int16_t Column() const { return animCol_; }
    std::int16_t Row() const { return animRow_; }

private:
    std::int16_t animActive_ = 0;
    std::int16_t animFrames_ = 0;
    std::int16_t animPiece_ = 0;
    std::int16_t animRot_ = 0;
    std::int16_t animCol_ = 0;
    std::int16_t animRow_ = 0;
};

}  // namespace dv
