#pragma once

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

// Reading the generated files back as the game does.
namespace assettest {

inline std::string assetPath(const std::string& sub) { return std::string(DV_ASSET_DIR) + "/" + sub; }

// A BMP decoded by SDL_LoadBMP, as tightly packed RGB.
struct Image {
    int w = 0, h = 0;
    int bitsPerPixel = 0; // as stored in the file
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* px(int x, int y) const { return rgb.data() + 3 * (static_cast<std::size_t>(y) * w + x); }
    bool is(int x, int y, int r, int g, int b) const
    {
        const auto* p = px(x, y);
        return p[0] == r && p[1] == g && p[2] == b;
    }
    bool isKey(int x, int y, int key) const { return is(x, y, key, key, key); }
    float luma(int x, int y) const
    {
        const auto* p = px(x, y);
        return (0.299f * p[0] + 0.587f * p[1] + 0.114f * p[2]) / 255.0f;
    }
};

// Fails the current test (and returns an empty image) when loading fails.
Image loadBmp(const std::string& name);

// A WAV decoded by SDL_LoadWAV, as floats in [-1, 1], channels interleaved.
struct Sound {
    int rate = 0, channels = 0;
    SDL_AudioFormat format = 0;
    std::vector<float> samples;
    double seconds() const { return static_cast<double>(samples.size()) / channels / rate; }
};
Sound loadWav(const std::string& name);

std::vector<std::uint8_t> readBytes(const std::string& path);

} // namespace assettest
