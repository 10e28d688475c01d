#include "sprites/modAnimb.h"

#include <cmath>

#include "sprites/clsPezzo.h"

namespace dv {

void modAnimb::AnimStart(std::int16_t piece, std::int16_t rotation, std::int16_t column, std::int16_t row) {
    animFrames_ = 15;
    animActive_ = True16;
    animCol_ = column;
    animRow_ = row;
    animPiece_ = piece;
    animRot_ = rotation;
}

void modAnimb::AnimStep(Mdx8& helper, const PieceShapeTable& shapes) {
    if (animActive_ == 0) {
        return;
    }
    animFrames_ = static_cast<std::int16_t>(animFrames_ - 1);
    if (animFrames_ == 0) {
        animActive_ = False16;
    }
    // A fresh sprite each frame, so its spin clock never carries over.
    clsPezzo sprite(shapes);
    sprite.D3DX(&helper);
    sprite.PixelPointing(True16);
    sprite.x(static_cast<std::int16_t>(300 + 19 * animCol_ - 2));
    sprite.y(static_cast<std::int16_t>(64 + 19 * animRow_ - 2));
    sprite.Rot(animRot_);
    sprite.Pezzo(animPiece_);
    sprite.Scala(std::sin(animFrames_ / 20.0) + 0.2);
    sprite.Draw();
}

}  // namespace dv
