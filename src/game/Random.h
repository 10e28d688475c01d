#pragma once
// The game's single uniform random stream in [0, 1). It is never seeded from
// the clock, so the same timing deals the same pieces on every machine: a
// 24-bit linear congruential generator, computed in integers.
#include <cmath>
#include <cstdint>

namespace dv {

class RandomStream {
public:
    double Next() {
        state_ = static_cast<std::uint32_t>((std::uint64_t{state_} * 1140671485u + 12820163u) & 0xFFFFFFu);
        return static_cast<double>(state_) / 16777216.0;
    }
    std::uint32_t State() const { return state_; }

private:
    std::uint32_t state_ = 327680;
};

// Rounds to the nearest integer, halves to the even neighbour, as the
// original's integer conversions did.
inline std::int32_t RoundHalfEven(double v) {
    const double f = std::floor(v);
    const double diff = v - f;
    double r = f;
    if (diff > 0.5) {
        r = f + 1.0;
    } else if (diff == 0.5) {
        r = std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
    }
    return static_cast<std::int32_t>(r);
}

}  // namespace dv
