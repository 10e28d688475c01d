#pragma once

#include <cstdint>

namespace assetgen {

// Every asset must come out byte for byte the same on each build, so all
// randomness flows from fixed seeds through this small generator (splitmix64)
// rather than from the standard library, whose distributions vary by vendor.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // In [0, 1).
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// A stateless hash of lattice coordinates, for noise that must be reproducible
// at any sample point regardless of evaluation order.
inline std::uint64_t hash3(std::int64_t x, std::int64_t y, std::uint64_t seed)
{
    std::uint64_t h = seed ^ (static_cast<std::uint64_t>(x) * 0x9E3779B185EBCA87ull);
    h ^= static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

} // namespace assetgen
