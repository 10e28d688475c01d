#include "synth.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace assetgen {

void finishEffect(Pcm& pcm, double fadeInMs, double fadeOutMs, double peakDb)
{
    const std::size_t n = pcm.frames();
    const auto ch = static_cast<std::size_t>(pcm.channels);
    const std::size_t in = std::max<std::size_t>(2, static_cast<std::size_t>(fadeInMs * kRate / 1000));
    const std::size_t out = std::max<std::size_t>(2, static_cast<std::size_t>(fadeOutMs * kRate / 1000));
    // Raised-cosine fades end exactly on zero at the first and last frame.
    for (std::size_t i = 0; i < n; ++i) {
        double g = 1.0;
        if (i < in)
            g *= 0.5 - 0.5 * std::cos(kTau * 0.5 * static_cast<double>(i) / static_cast<double>(in));
        const std::size_t fromEnd = n - 1 - i;
        if (fromEnd < out)
            g *= 0.5 - 0.5 * std::cos(kTau * 0.5 * static_cast<double>(fromEnd) / static_cast<double>(out));
        for (std::size_t c = 0; c < ch; ++c)
            pcm.samples[i * ch + c] = static_cast<float>(pcm.samples[i * ch + c] * g);
    }
    float peak = 0;
    for (float s : pcm.samples)
        peak = std::max(peak, std::fabs(s));
    if (peak <= 0)
        throw std::runtime_error("silent sound effect");
    const auto gain = static_cast<float>(std::pow(10.0, peakDb / 20.0) / peak);
    for (float& s : pcm.samples)
        s *= gain;
}

namespace {
void put16(std::vector<std::uint8_t>& b, unsigned v)
{
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}
void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
} // namespace

std::vector<std::uint8_t> encodeWav(const Pcm& pcm)
{
    const auto ch = static_cast<unsigned>(pcm.channels);
    const auto dataBytes = static_cast<std::uint32_t>(pcm.samples.size() * 2);
    std::vector<std::uint8_t> b;
    b.reserve(44 + dataBytes);
    for (char c : std::string("RIFF"))
        b.push_back(static_cast<std::uint8_t>(c));
    put32(b, 36 + dataBytes);
    for (char c : std::string("WAVEfmt "))
        b.push_back(static_cast<std::uint8_t>(c));
    put32(b, 16);
    put16(b, 1); // integer PCM
    put16(b, ch);
    put32(b, kRate);
    put32(b, kRate * ch * 2);
    put16(b, ch * 2);
    put16(b, 16);
    for (char c : std::string("data"))
        b.push_back(static_cast<std::uint8_t>(c));
    put32(b, dataBytes);
    for (float s : pcm.samples) {
        const long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        put16(b, static_cast<unsigned>(static_cast<std::uint16_t>(static_cast<std::int16_t>(v))));
    }
    return b;
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + path);
}

} // namespace assetgen
