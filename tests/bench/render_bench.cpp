// Frame cost of SdlRenderDevice on the software renderer (run with
// SDL_VIDEODRIVER=dummy). The busiest play frame as a whole, then its parts,
// so a slow frame shows where its time goes.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/GameFonts.h"
#include "platform/sdl/SdlRenderDevice.h"

namespace {

namespace fs = std::filesystem;
using dv::TextureId;
using dv::sdl::SdlRenderDevice;

constexpr std::uint32_t Key = 0xFF00FF;

// Writes a 24-bit BMP; `keyed` marks the pixels that get the key colour.
fs::path WriteBmp(const fs::path& dir, const std::string& name, int w, int h, std::uint32_t seed,
                  bool (*keyed)(int x, int y, int w, int h)) {
    std::mt19937 noise(seed);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 24, SDL_PIXELFORMAT_RGB24);
    for (int y = 0; y < h; ++y) {
        auto* row = static_cast<Uint8*>(s->pixels) + y * s->pitch;
        for (int x = 0; x < w; ++x) {
            const std::uint32_t c = keyed != nullptr && keyed(x, y, w, h) ? Key : noise() & 0xFFFFFF;
            row[x * 3] = static_cast<Uint8>(c >> 16);
            row[x * 3 + 1] = static_cast<Uint8>(c >> 8);
            row[x * 3 + 2] = static_cast<Uint8>(c);
        }
    }
    const fs::path path = dir / name;
    SDL_SaveBMP(s, path.string().c_str());
    SDL_FreeSurface(s);
    return path;
}

bool Interior(int x, int y, int w, int h) {
    return x >= 12 && y >= 12 && x < w - 12 && y < h - 12;
}
bool Corners(int x, int y, int w, int h) {
    return (x < 4 || x >= w - 4) && (y < 4 || y >= h - 4);
}
bool OnePixel(int x, int y, int, int) {
    return x == 0 && y == 0;
}

struct Scene {
    SDL_Window* window = nullptr;
    std::unique_ptr<SdlRenderDevice> device;
    fs::path dir;
    TextureId background1 = 0, background2 = 0, backgroundArgb = 0;
    TextureId frame = 0, panelA = 0, panelB = 0;
    std::vector<TextureId> cells;
    dv::FontId title = 0, label = 0;

    // The window's size is the desktop's when the game runs full screen.
    explicit Scene(int windowWidth = 800, int windowHeight = 600) {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        SDL_InitSubSystem(SDL_INIT_VIDEO);
        window = SDL_CreateWindow("bench", 0, 0, windowWidth, windowHeight, SDL_WINDOW_HIDDEN);
        device = std::make_unique<SdlRenderDevice>(window, dv::GameFonts(DV_OUT_DIR));
        device->CreateDevice(800, 600);
        dir = fs::temp_directory_path() / ("dv_render_bench_" + std::to_string(getpid()));
        fs::create_directories(dir);
        const auto load = [&](const fs::path& p, bool key) { return device->CreateTextureFromFile(p, key, 0xFF000000 | Key); };
        background1 = load(WriteBmp(dir, "bg1.bmp", 800, 600, 1, nullptr), false);
        background2 = load(WriteBmp(dir, "bg2.bmp", 800, 600, 2, nullptr), false);
        backgroundArgb = load(WriteBmp(dir, "bg3.bmp", 800, 600, 3, OnePixel), true);
        frame = load(WriteBmp(dir, "frame.bmp", 360, 504, 4, Interior), true);
        panelA = load(WriteBmp(dir, "panel1.bmp", 200, 140, 5, Corners), true);
        panelB = load(WriteBmp(dir, "panel2.bmp", 120, 290, 6, Corners), true);
        for (std::uint32_t i = 0; i < 7; ++i) {
            cells.push_back(load(WriteBmp(dir, "cell" + std::to_string(i) + ".bmp", 19, 19, 10 + i, nullptr), false));
        }
        title = device->CreateTextFont({"Comic Sans MS", 24, true});
        label = device->CreateTextFont({"Comics sans MS", 12, false});
    }
    ~Scene() {
        device.reset();
        SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    void Backgrounds(TextureId second) {
        device->SpriteDraw(background1, {1, 1}, {0, 0}, 0, {0, 0}, 0xB0FFFFFF);
        device->SpriteDraw(second, {1, 1}, {0, 0}, 0, {0, 0}, 0x60FFFFFF);
    }
    void Board() {
        device->SpriteDraw(frame, {1, 1}, {0, 0}, 0, {220, 48}, 0xFFFFFFFF);
        // 260 settled cells in a 10-wide well, then the falling piece and the
        // next-piece preview.
        for (int i = 0; i < 260; ++i) {
            const float x = 240.0F + static_cast<float>(i % 10) * 20.0F;
            const float y = 68.0F + static_cast<float>(i / 10) * 17.0F;
            device->SpriteDraw(cells[static_cast<std::size_t>(i % 7)], {1, 1}, {0, 0}, 0, {x, y}, 0xFFFFFFFF);
        }
        for (int i = 0; i < 20; ++i) {
            const float x = 620.0F + static_cast<float>(i % 4) * 20.0F;
            const float y = 80.0F + static_cast<float>(i / 4) * 20.0F;
            device->SpriteDraw(cells[static_cast<std::size_t>(i % 7)], {1, 1}, {0, 0}, 0, {x, y}, 0xFFFFFFFF);
        }
        device->SpriteDraw(panelA, {1, 1}, {0, 0}, 0, {10, 60}, 0xFFFFFFFF);
        device->SpriteDraw(panelB, {1, 1}, {0, 0}, 0, {640, 240}, 0xFFFFFFFF);
    }
    void Texts() {
        device->DrawText(title, 0xFFFFFF00, "Livello 7", {10, 10, 210, 60}, dv::textformat::Center);
        device->DrawText(label, 0xFFFFFFFF, "Punti\r\n123450", {20, 80, 200, 140}, dv::textformat::Left);
        device->DrawText(label, 0xFFFFFFFF, "Righe: 96", {20, 150, 200, 180}, dv::textformat::Left);
        device->DrawText(label, 0xFFFFFFFF, "Prossimo", {640, 250, 760, 280}, dv::textformat::Center);
        device->DrawText(label, 0xC0FFFFFF, "+100", {380, 300, 0, 0}, dv::textformat::Left);
    }
    void Frame(bool present) {
        device->Clear(dv::clear::Target | dv::clear::ZBuffer, 0xFF000000, 1.0F, 0);
        device->BeginScene();
        device->SpriteBegin();
        Backgrounds(background2);
        Board();
        device->SpriteEnd();
        Texts();
        device->EndScene();
        if (present) {
            device->Present();
        }
    }
};

void BusiestPlayFrame(benchmark::State& state) {
    Scene s;  // loading and font lookup stay outside the timed loop
    for (auto _ : state) {
        s.Frame(true);
    }
    state.SetLabel(s.device->RendererName());
}
BENCHMARK(BusiestPlayFrame)->Unit(benchmark::kMicrosecond);

void BusiestPlayFrameWithoutPresent(benchmark::State& state) {
    Scene s;  // loading and font lookup stay outside the timed loop
    for (auto _ : state) {
        s.Frame(false);
        // Drawing is queued; reading a pixel makes the renderer carry it out.
        benchmark::DoNotOptimize(s.device->ReadPixel(0, 0));
    }
}
BENCHMARK(BusiestPlayFrameWithoutPresent)->Unit(benchmark::kMicrosecond);

// The cost of drawing into a target texture: one full-frame copy per Present;
// on a larger window, the letterbox bars and the smooth scaling as well.
void PresentOnly(benchmark::State& state) {
    Scene s(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    s.Frame(true);
    for (auto _ : state) {
        s.device->Present();
    }
}
BENCHMARK(PresentOnly)->Args({800, 600})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

template <bool Opaque>
void TwoFadedBackgrounds(benchmark::State& state) {
    Scene s;  // loading and font lookup stay outside the timed loop
    for (auto _ : state) {
        s.device->BeginScene();
        s.device->SpriteBegin();
        s.Backgrounds(Opaque ? s.background2 : s.backgroundArgb);
        s.device->SpriteEnd();
        s.device->EndScene();
        benchmark::DoNotOptimize(s.device->ReadPixel(0, 0));
    }
}
BENCHMARK(TwoFadedBackgrounds<true>)->Name("TwoFadedBackgrounds/opaque")->Unit(benchmark::kMicrosecond);
BENCHMARK(TwoFadedBackgrounds<false>)->Name("TwoFadedBackgrounds/with_alpha")->Unit(benchmark::kMicrosecond);

void FrameCellsAndPanels(benchmark::State& state) {
    Scene s;  // loading and font lookup stay outside the timed loop
    for (auto _ : state) {
        s.device->BeginScene();
        s.device->SpriteBegin();
        s.Board();
        s.device->SpriteEnd();
        s.device->EndScene();
        benchmark::DoNotOptimize(s.device->ReadPixel(0, 0));
    }
}
BENCHMARK(FrameCellsAndPanels)->Unit(benchmark::kMicrosecond);

// Costs the busiest frame does not have but other screens may: opaque cells
// with a colour tint, and a colour-keyed picture fading in.
void TintedCells(benchmark::State& state) {
    Scene s;
    for (auto _ : state) {
        s.device->BeginScene();
        s.device->SpriteBegin();
        for (int i = 0; i < 280; ++i) {
            const float x = 240.0F + static_cast<float>(i % 10) * 20.0F;
            const float y = 68.0F + static_cast<float>(i / 10) * 17.0F;
            s.device->SpriteDraw(s.cells[static_cast<std::size_t>(i % 7)], {1, 1}, {0, 0}, 0, {x, y}, 0xFFC08040);
        }
        s.device->SpriteEnd();
        s.device->EndScene();
        benchmark::DoNotOptimize(s.device->ReadPixel(0, 0));
    }
}
BENCHMARK(TintedCells)->Unit(benchmark::kMicrosecond);

void FadedKeyedFrame(benchmark::State& state) {
    Scene s;
    for (auto _ : state) {
        s.device->BeginScene();
        s.device->SpriteBegin();
        s.device->SpriteDraw(s.frame, {1, 1}, {0, 0}, 0, {220, 48}, 0x80FFFFFF);
        s.device->SpriteEnd();
        s.device->EndScene();
        benchmark::DoNotOptimize(s.device->ReadPixel(0, 0));
    }
}
BENCHMARK(FadedKeyedFrame)->Unit(benchmark::kMicrosecond);

void FiveTexts(benchmark::State& state) {
    Scene s;  // loading and font lookup stay outside the timed loop
    for (auto _ : state) {
        s.device->BeginScene();
        s.Texts();
        s.device->EndScene();
        benchmark::DoNotOptimize(s.device->ReadPixel(0, 0));
    }
}
BENCHMARK(FiveTexts)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
