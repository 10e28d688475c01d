// Records games of the code player as replay files for the regression tests
// and the timedemo:  autoplay regression|long|gameover OUT.txt
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "AutoplayRun.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/RecordingMediaSystem.h"
#include "platform/headless/RecordingRenderDevice.h"
#include "platform/headless/RecordingSoundDevice.h"

int main(int argc, char** argv) {
    using namespace dv;
    if (argc != 3) {
        std::cerr << "usage: autoplay regression|long|gameover OUT.txt\n";
        return 2;
    }
    const std::string kind = argv[1];
    HeadlessWindowSystem window(DV_SOURCE_DIR);
    ScriptedKeyboard keys;
    RecordingRenderDevice render(false, false);
    RecordingSoundDevice sound;
    RecordingMediaSystem media;
    Form1 form(Platform{window, keys, render, sound, media});
    if (!form.Form_Load()) {
        return 1;
    }
    test::AutoplayResult result;
    if (kind == "regression") {
        // Lines cleared, a pause, the end-game question declined, then accepted.
        const std::vector<test::Interruption> script{
            {12, {{dik::P, 3}, {-1, 150}, {dik::P, 4}, {-1, 1}}},
            {16, {{dik::Escape, 5}, {-1, 60}, {dik::N, 3}, {-1, 1}}},
            {20, {{dik::Escape, 5}, {-1, 40}, {dik::S, 3}, {-1, 1}}},
        };
        result = test::Autoplay(form, keys, 200000, [&](const Module1& g) {
            return g.LinesCleared >= 20 && g.GameState == state::Intro;
        }, script);
        result.replay += std::to_string(result.ticks + 100) + "\n";
    } else if (kind == "long") {
        result = test::Autoplay(form, keys, 3000000, [](const Module1& g) {
            return g.LinesCleared >= 260 || g.GameState == state::GameOver;
        });
        result.replay += std::to_string(result.ticks + 1) + "\n";
    } else if (kind == "gameover") {
        // Start a game, touch nothing: the stack grows in the middle until the
        // game ends, and the game-over pictures lead back to the intro.
        bool over = false;
        result = test::Autoplay(form, keys, 200000, [&](const Module1& g) {
            over = over || g.GameState == state::GameOver;
            return g.GameState == state::Play && g.CurPiece > 0;
        });
        result.replay += "# nothing pressed until the game has ended\n";
        keys.ReleaseAll();
        while (!(over && form.Game().GameState == state::Intro)) {
            form.Timer1_Timer();
            ++result.ticks;
            over = over || form.Game().GameState == state::GameOver;
        }
        result.replay += std::to_string(result.ticks + 50) + "\n";
    } else {
        std::cerr << "unknown kind " << kind << "\n";
        return 2;
    }
    for (const std::string& m : window.Messages()) {
        std::cerr << "message: " << m << "\n";
    }
    std::ofstream(argv[2], std::ios::binary) << result.replay;
    std::printf("%s: %llu ticks, %d lines, score %d, level %d, state %d\n", kind.c_str(),
                static_cast<unsigned long long>(result.ticks), form.Game().LinesCleared, form.Game().GameScore,
                form.Game().Level, form.Game().GameState);
    return 0;
}
