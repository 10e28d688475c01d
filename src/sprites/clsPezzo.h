#pragma once
// One whole piece drawn as cell images, either on the well's grid or at a
// pixel position; with Rot 0 it spins through its rotations by itself.
#include <cstdint>

#include "game/Module1.h"

namespace dv {

class Mdx8;

class clsPezzo {
public:
    explicit clsPezzo(const PieceShapeTable& shapes) : shapes_(shapes) {}

    void D3DX(Mdx8* helper) { d3dx_ = helper; }
    Mdx8* D3DX() const { return d3dx_; }

    // Out-of-range values are ignored and the previous value stays.
    void Pezzo(std::int16_t nPezzo) {
        if (nPezzo >= 1 && nPezzo <= 7) {
            pezzo_ = nPezzo;
        }
    }
    std::int16_t Pezzo() const { return pezzo_; }
    void x(std::int16_t value) { x_ = value; }
    std::int16_t x() const { return x_; }
    void y(std::int16_t value) { y_ = value; }
    std::int16_t y() const { return y_; }
    void Rot(std::int16_t value) {
        if (value >= 0 && value <= 4) {
            rot_ = value;
        }
    }
    std::int16_t Rot() const { return rot_; }
    void PixelPointing(std::int16_t value) { pixelPointing_ = value != 0 ? True16 : False16; }
    std::int16_t PixelPointing() const { return pixelPointing_; }
    void Scala(double value) { scala_ = value; }
    double Scala() const { return scala_; }
    // The spin clock, which carries over from frame to frame.
    std::int16_t SpinTick() const { return spinTick_; }
    std::int16_t SpinRot() const { return spinRot_; }

    // Advances the spin clock, then draws the chosen rotation once.
    void Draw();

private:
    const PieceShapeTable& shapes_;
    Mdx8* d3dx_ = nullptr;
    std::int16_t pezzo_ = 1;
    std::int16_t x_ = 0;
    std::int16_t y_ = 0;
    std::int16_t rot_ = 1;
    std::int16_t pixelPointing_ = True16;
    double scala_ = 1.0;
    std::int16_t spinTick_ = 0;
    std::int16_t spinRot_ = 1;
};

}  // namespace dv
