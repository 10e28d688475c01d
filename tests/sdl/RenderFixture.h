#pragma once
// A real SdlRenderDevice on SDL's dummy video driver (software renderer),
// with helpers that write small BMP files and look at the drawn pixels.
#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/GameFonts.h"
#include "platform/sdl/SdlRenderDevice.h"

namespace dv::sdl::test {

struct Bounds {
    int left = 0;
    int top = 0;
    int right = -1;  // inclusive; right < left when nothing was found
    int bottom = -1;
    bool Empty() const { return right < left; }
};

inline int Red(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int Green(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int Blue(std::uint32_t p) { return static_cast<int>(p & 0xFF); }

// Each colour channel within `tolerance` of the expected one; alpha ignored,
// the frame has none.
inline ::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected, int tolerance = 2) {
    if (std::abs(Red(actual) - Red(expected)) <= tolerance && std::abs(Green(actual) - Green(expected)) <= tolerance &&
        std::abs(Blue(actual) - Blue(expected)) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    char text[64];
    std::snprintf(text, sizeof text, "pixel %06X, expected %06X", actual & 0xFFFFFFU, expected & 0xFFFFFFU);
    return ::testing::AssertionFailure() << text;
}

class RenderFixture : public ::testing::Test {
protected:
    static constexpr int W = 800;
    static constexpr int H = 600;

    // Whether the device draws into a frame of its own and hands it to a
    // sink, as in a web page (set before Open), and the last frame handed.
    bool pageFrames_ = false;
    std::vector<std::uint32_t> shown_;

    void SetUp() override { Open(W, H); }

    void Open(int windowW, int windowH) {
        device_.reset();
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        if (!videoUp_) {
            ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
            videoUp_ = true;
        }
        window_ = SDL_CreateWindow("render test", 0, 0, windowW, windowH, SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        SdlRenderDevice::FrameSink sink;
        if (pageFrames_) {
            // As a page's canvas takes them: the bytes in memory order, the
            // fourth made opaque.
            sink = [this](std::uint32_t* pixels, int width, int height) {
                shown_.assign(pixels, pixels + static_cast<std::ptrdiff_t>(width) * height);
                for (std::uint32_t& p : shown_) {
                    p |= 0xFF000000U;
                }
            };
        }
        device_ = std::make_unique<SdlRenderDevice>(window_, GameFonts(DV_OUT_DIR), sink);
        device_->CreateDevice(W, H);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               ("dv_render_" + std::to_string(getpid()) + "_" + info->test_suite_name() + "_" + info->name());
        std::filesystem::create_directories(dir_);
    }

    void TearDown() override {
        device_.reset();
        if (window_ != nullptr) {
            SDL_DestroyWindow(window_);
        }
        if (videoUp_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    // A 24-bit BMP, as the game's files are; rgb holds 0xRRGGBB row by row.
    std::filesystem::path WriteBmp(const std::string& name, int w, int h, const std::vector<std::uint32_t>& rgb) {
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24);
        EXPECT_NE(s, nullptr) << SDL_GetError();
        for (int y = 0; y < h; ++y) {
            auto* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
            for (int x = 0; x < w; ++x) {
                const std::uint32_t c = rgb[static_cast<std::size_t>(y * w + x)];
                row[x * 3 + 0] = static_cast<Uint8>(c >> 16);
                row[x * 3 + 1] = static_cast<Uint8>(c >> 8);
                row[x * 3 + 2] = static_cast<Uint8>(c);
            }
        }
        const std::filesystem::path path = dir_ / name;
        EXPECT_EQ(SDL_SaveBMP(s, path.string().c_str()), 0) << SDL_GetError();
        SDL_FreeSurface(s);
        return path;
    }

    // A w x h picture in one colour.
    TextureId Solid(const std::string& name, int w, int h, std::uint32_t rgb) {
        const auto path = WriteBmp(name, w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w * h), rgb));
        return device_->CreateTextureFromFile(path, false, 0);
    }

    // One sprite drawing inside its own scene.
    void Draw(TextureId t, Vec2 scale, Vec2 centre, float rotation, Vec2 translation,
              std::uint32_t tint = 0xFFFFFFFF) {
        device_->BeginScene();
        device_->SpriteBegin();
        device_->SpriteDraw(t, scale, centre, rotation, translation, tint);
        device_->SpriteEnd();
        device_->EndScene();
    }

    void Text(FontId font, std::uint32_t colour, const std::string& text, RectL rect, std::uint32_t format) {
        device_->BeginScene();
        device_->DrawText(font, colour, text, rect, format);
        device_->EndScene();
    }

    std::uint32_t Pixel(int x, int y) const { return device_->ReadPixel(x, y); }

    // Where pixels differ from `background` (beyond a small tolerance).
    static Bounds LitBounds(const std::vector<std::uint32_t>& frame, std::uint32_t background) {
        Bounds b{W, H, -1, -1};
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                if (!Near(frame[static_cast<std::size_t>(y * W + x)], background, 8)) {
                    b.left = std::min(b.left, x);
                    b.top = std::min(b.top, y);
                    b.right = std::max(b.right, x);
                    b.bottom = std::max(b.bottom, y);
                }
            }
        }
        return b;
    }

    SDL_Window* window_ = nullptr;
    bool videoUp_ = false;
    std::unique_ptr<SdlRenderDevice> device_;
    std::filesystem::path dir_;
};

}  // namespace dv::sdl::test
