#include "sprites/clsPezzo.h"

#include "graphics/Mdx8.h"

namespace dv {

void clsPezzo::Draw() {
    spinTick_ = static_cast<std::int16_t>(spinTick_ + 1);
    if (spinTick_ == 99) {
        spinTick_ = 0;
    }
    if (spinTick_ % 33 == 0) {
        spinRot_ = static_cast<std::int16_t>(spinRot_ + 1);
        if (spinRot_ == 5) {
            spinRot_ = 1;
        }
    }
    const int r = rot_ == 0 ? spinRot_ : rot_;
    if (d3dx_ == nullptr) {
        return;
    }
    for (int dx = 0; dx <= 3; ++dx) {
        for (int dy = 0; dy <= 3; ++dy) {
            if (shapes_(pezzo_, r, dx, dy) != 1) {
                continue;
            }
            if (pixelPointing_ != 0) {
                d3dx_->DrawCell(static_cast<std::int16_t>(dx - 2), static_cast<std::int16_t>(dy - 2), 0, x_, y_, pezzo_,
                                19, scala_);
            } else {
                d3dx_->DrawCell(static_cast<std::int16_t>(x_ + dx - 2), static_cast<std::int16_t>(y_ + dy - 2), 0, 300,
                                64, pezzo_, 19, scala_);
            }
        }
    }
}

}  // namespace dv
