#include "asset_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

// The tests must never need a display or a sound card, however they are started.
class DummyDrivers : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
};
const auto* const kDummyDrivers = ::testing::AddGlobalTestEnvironment(new DummyDrivers);

} // namespace

namespace assettest {

Image loadBmp(const std::string& name)
{
    Image img;
    const std::string path = assetPath("texture/" + name);
    SDL_Surface* raw = SDL_LoadBMP(path.c_str());
    if (!raw) {
        ADD_FAILURE() << "SDL_LoadBMP(" << path << "): " << SDL_GetError();
        return img;
    }
    img.bitsPerPixel = raw->format->BitsPerPixel;
    SDL_Surface* s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB24, 0);
    SDL_FreeSurface(raw);
    if (!s) {
        ADD_FAILURE() << SDL_GetError();
        return img;
    }
    img.w = s->w;
    img.h = s->h;
    img.rgb.resize(static_cast<std::size_t>(s->w) * s->h * 3);
    for (int y = 0; y < s->h; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(s->pixels) + static_cast<std::size_t>(y) * s->pitch;
        std::copy_n(row, 3 * s->w, img.rgb.begin() + 3 * static_cast<std::ptrdiff_t>(y) * s->w);
    }
    SDL_FreeSurface(s);
    return img;
}

Sound loadWav(const std::string& name)
{
    Sound out;
    const std::string path = assetPath("sounds/" + name);
    SDL_AudioSpec wavFormat;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV(path.c_str(), &wavFormat, &buf, &len)) {
        ADD_FAILURE() << "SDL_LoadWAV(" << path << "): " << SDL_GetError();
        return out;
    }
    out.rate = wavFormat.freq;
    out.channels = wavFormat.channels;
    out.format = wavFormat.format;
    if (wavFormat.format == AUDIO_S16LSB) {
        const auto* s = reinterpret_cast<const Sint16*>(buf);
        for (Uint32 i = 0; i < len / 2; ++i)
            out.samples.push_back(static_cast<float>(s[i]) / 32768.0f);
    }
    SDL_FreeWAV(buf);
    return out;
}

std::vector<std::uint8_t> readBytes(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

} // namespace assettest
