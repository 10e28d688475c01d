#pragma once

#include <cstdint>
#include <vector>

namespace assetgen {

// Each voice renders one note, release tail included, as mono samples. The
// same voices play the music and the sound effects, so they sound related.

std::vector<float> kick(double seconds = 0.35);
std::vector<float> snare(std::uint64_t seed, double tone = 190);
std::vector<float> hat(std::uint64_t seed, bool open);
std::vector<float> crash(std::uint64_t seed);

// `gate` is how long the key is held; the release follows it.
std::vector<float> lead(double midi, double gate, double velocity);
std::vector<float> bass(double midi, double gate, double velocity);
std::vector<float> pluck(double midi, double gate, double velocity);
std::vector<float> pad(double midi, double gate, double velocity, std::uint64_t seed);
std::vector<float> brass(double midi, double gate, double velocity);
std::vector<float> bell(double midi, double seconds, double velocity);

} // namespace assetgen
