// What the game costs per tick and per frame, on the recording devices and
// on SDL's software renderer with the real pictures. Numbers are reported,
// never asserted.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/GameFonts.h"
#include "audio/clsSound.h"
#include "game/Form1.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/KeyScript.h"
#include "platform/headless/RecordingMediaSystem.h"
#include "platform/headless/RecordingRenderDevice.h"
#include "platform/headless/RecordingSoundDevice.h"
#include "platform/headless/ScriptedKeyboard.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlRenderDevice.h"
#include "platform/sdl/SdlSoundDevice.h"

namespace dv {
namespace {

const std::filesystem::path OutDir{DV_OUT_DIR};

// A game on chosen devices; the textures are read through the output folder.
struct BenchGame {
    explicit BenchGame(IRenderDevice& render, IKeyboardDevice& keys)
        : window(OutDir), form(Platform{window, keys, render, sound, media}) {
        std::filesystem::current_path(OutDir);
        loaded = form.Form_Load();
    }
    void Start() {
        Module1& g = form.Game();
        g.GameState = state::Intro;
        form.GameStart();
    }

    HeadlessWindowSystem window;
    RecordingSoundDevice sound;
    RecordingMediaSystem media;
    Form1 form;
    bool loaded = false;
};

void PlayTick(benchmark::State& st) {
    RecordingRenderDevice render(false, false);
    ScriptedKeyboard keys;
    BenchGame game(render, keys);
    game.Start();
    Module1& g = game.form.Game();
    for (auto _ : st) {
        g.TickCount = 2;  // becomes 3: no frame, no gravity, no music check
        game.form.Timer1_Timer();
    }
}
BENCHMARK(PlayTick);

void FillForFourRows(Module1& g) {
    for (int row = 0; row <= 25; ++row) {
        for (int col = 0; col <= 9; ++col) {
            g.Well(col, row) = row >= 22 ? static_cast<std::int16_t>(1 + (row + col) % 7) : 0;
        }
    }
    g.CurPiece = 4;
    g.PieceX = 5;
    g.PieceY = 10;
    g.PieceRot = 1;
    g.GameState = state::Play;
}

void LockWithFourRowClear(benchmark::State& st) {
    RecordingRenderDevice render(false, false);
    ScriptedKeyboard keys;
    BenchGame game(render, keys);
    game.Start();
    Module1& g = game.form.Game();
    modGrafica& screens = game.form.Screens();
    for (auto _ : st) {
        st.PauseTiming();
        FillForFourRows(g);
        screens.Debris = {};
        for (int i = 0; i < 60; ++i) {
            screens.ScoreLabels->EvolveScores();  // lets earlier labels land
        }
        st.ResumeTiming();
        game.form.LockPiece();
    }
}
BENCHMARK(LockWithFourRowClear)->Unit(benchmark::kMicrosecond);

// The busiest play screen: a full well, a falling piece and the preview, 101
// bursting cells, 20 labels, the background half faded and the landing image.
class BusiestFrame {
public:
    explicit BusiestFrame(BenchGame& game) : game_(game) {
        game.Start();
        Module1& g = game.form.Game();
        modGrafica& s = game.form.Screens();
        for (int row = 0; row <= 25; ++row) {
            for (int col = 0; col <= 9; ++col) {
                g.Well(col, row) = static_cast<std::int16_t>(1 + (row * 3 + col) % 7);
            }
        }
        for (std::size_t i = 0; i < s.Debris.size(); ++i) {
            DebrisCell& c = s.Debris[i];
            c.Active = -1;
            c.X = static_cast<float>(100 + (i * 37) % 600);
            c.Y = static_cast<float>(150 + (i * 53) % 400);
            c.Angle = 80 + static_cast<int>(i % 20);
            c.Speed = 15 + static_cast<float>(i % 10);
            c.Time = static_cast<float>(i % 30) * 0.1f;
            c.Tex = static_cast<std::int16_t>(1 + i % 7);
        }
        debris_ = s.Debris;
        s.Background.DoAction(bgk::FadeOut);
        for (int i = 0; i < 10; ++i) {
            s.Background.EvolveBgk();
        }
        background_ = s.Background;
    }

    void Draw() {
        modGrafica& s = game_.form.Screens();
        s.Debris = debris_;
        s.Background = background_;
        const int values[] = {20, 100, 400, 900, 1600};
        int active = 0;
        for (const FlyingScore& label : s.ScoreLabels->Scores()) {
            active += label.Active != 0 ? 1 : 0;
        }
        for (int i = active; i < 20; ++i) {
            s.ScoreLabels->InsertNewScore(static_cast<std::int16_t>(values[i % 5]), static_cast<std::int16_t>(320 + i * 7),
                                          static_cast<std::int16_t>(300 + i * 9));
        }
        s.Animb.AnimStart(7, 1, 4, 20);
        s.DrawGame(state::Play);
    }

private:
    BenchGame& game_;
    std::array<DebrisCell, 101> debris_{};
    clsScroolBGK2 background_;
};

void BusiestFrameRecording(benchmark::State& st) {
    RecordingRenderDevice render(false, true);
    ScriptedKeyboard keys;
    BenchGame game(render, keys);
    BusiestFrame frame(game);
    for (auto _ : st) {
        frame.Draw();
    }
    st.counters["draw calls"] = static_cast<double>(render.Frame().size());
}
BENCHMARK(BusiestFrameRecording)->Unit(benchmark::kMicrosecond);

void BusiestFrameSoftware(benchmark::State& st) {
    sdl::SdlHost host(sdl::HostOptions{true, true});
    sdl::SdlRenderDevice render(host.Window(), GameFonts(OutDir));
    ScriptedKeyboard keys;
    BenchGame game(render, keys);
    if (!game.loaded) {
        st.SkipWithError("start-up failed: are the pictures built?");
        return;
    }
    BusiestFrame frame(game);
    for (auto _ : st) {
        frame.Draw();
    }
    st.SetLabel(render.RendererName());
}
BENCHMARK(BusiestFrameSoftware)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void PlaySoundCall(benchmark::State& st) {
    sdl::SdlSoundDevice device;
    clsSound sound(device, OutDir);
    try {
        sound.Initialize();
    } catch (const std::exception& e) {
        st.SkipWithError(e.what());
        return;
    }
    int n = 0;
    for (auto _ : st) {
        sound.PlaySound(n++ % 8);
    }
}
BENCHMARK(PlaySoundCall)->Unit(benchmark::kMicrosecond);

// Whole ticks as a headless run makes them, keys from the long replay, every
// second tick composing a frame on a device that draws nothing.
void HeadlessTicks(benchmark::State& st) {
    std::ifstream in(std::filesystem::path(DV_SOURCE_DIR) / "tests" / "e2e" / "replays" / "long.txt");
    const KeyScript script = ParseKeyScript(in);
    for (auto _ : st) {
        st.PauseTiming();
        auto render = std::make_unique<RecordingRenderDevice>(false, false);
        auto keys = std::make_unique<ScriptedKeyboard>(script);
        auto game = std::make_unique<BenchGame>(*render, *keys);
        st.ResumeTiming();
        for (std::uint64_t tick = 1; tick <= script.LastTick(); ++tick) {
            keys->SetTick(tick);
            game->form.Timer1_Timer();
        }
        st.SetItemsProcessed(st.items_processed() + static_cast<std::int64_t>(script.LastTick()));
    }
}
BENCHMARK(HeadlessTicks)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dv

int main(int argc, char** argv) {
    // The drawing runs on SDL's dummy video driver; sound stays silent.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
