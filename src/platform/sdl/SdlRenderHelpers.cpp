#include "platform/sdl/SdlRenderHelpers.h"

#include "platform/sdl/SdlRenderDevice.h"

namespace dv::sdl {

namespace render {

std::vector<SDL_Rect> OpaqueSpans(const SDL_Surface* argb) {
    std::vector<SDL_Rect> spans;
    std::vector<SDL_Rect> row;
    std::vector<SDL_Rect> previous;
    for (int y = 0; y < argb->h; ++y) {
        const auto* pixels = reinterpret_cast<const std::uint32_t*>(static_cast<const Uint8*>(argb->pixels) +
                                                                    static_cast<std::ptrdiff_t>(y) * argb->pitch);
        row.clear();
        for (int x = 0; x < argb->w;) {
            if ((pixels[x] >> 24) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < argb->w && (pixels[x] >> 24) != 0) {
                ++x;
            }
            row.push_back(SDL_Rect{start, y, x - start, 1});
        }
        const bool same = row.size() == previous.size() &&
                          std::equal(row.begin(), row.end(), previous.begin(), [](const SDL_Rect& a, const SDL_Rect& b) {
                              return a.x == b.x && a.w == b.w;
                          });
        if (same) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                ++spans[spans.size() - row.size() + i].h;
            }
        } else {
            spans.insert(spans.end(), row.begin(), row.end());
            if (spans.size() > SpansLimit) {
                return {};
            }
        }
        previous.swap(row);
    }
    return spans;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            continue;
        }
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::string GlRendererString(SDL_Renderer* renderer) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(renderer, &info) != 0 || info.name == nullptr ||
        std::string_view(info.name).substr(0, 6) != "opengl") {
        return {};
    }
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int glRenderer = 0x1F01;
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* text = getString != nullptr ? getString(glRenderer) : nullptr;
    return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

}  // namespace render

bool IsSoftwareRasteriser(std::string_view glRenderer) {
    for (std::string_view name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SwiftShader"}) {
        if (glRenderer.find(name) != std::string_view::npos) {
            return true;
        }
    }
    return false;
}

SDL_Rect LetterboxRect(int width, int height, int outW, int outH) {
    if (width <= 0 || height <= 0 || outW <= 0 || outH <= 0) {
        return {0, 0, 0, 0};
    }
    // Compare the aspects in integers so an exact fit stays exact.
    const long long wide = static_cast<long long>(outW) * height;
    const long long tall = static_cast<long long>(outH) * width;
    int w = outW;
    int h = outH;
    if (wide > tall) {
        w = static_cast<int>((static_cast<long long>(outH) * width + height / 2) / height);
    } else if (wide < tall) {
        h = static_cast<int>((static_cast<long long>(outW) * height + width / 2) / width);
    }
    return {(outW - w) / 2, (outH - h) / 2, w, h};
}

}  // namespace dv::sdl
