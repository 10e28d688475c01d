#pragma once
// A whole game on the recording devices, driven tick by tick.
#include <filesystem>

#include "game/Form1.h"
#include "platform/headless/HeadlessWindowSystem.h"
#include "platform/headless/RecordingMediaSystem.h"
#include "platform/headless/RecordingRenderDevice.h"
#include "platform/headless/RecordingSoundDevice.h"
#include "platform/headless/ScriptedKeyboard.h"

namespace dv::test {

struct TestGame {
    explicit TestGame(std::filesystem::path programDir = DV_SOURCE_DIR, std::filesystem::path workDir = {})
        : window(std::move(programDir)), form(Platform{window, keys, render, sound, media}, std::move(workDir)) {
        loaded = form.Form_Load();
    }

    Module1& g() { return form.Game(); }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            form.Timer1_Timer();
        }
    }
    void Press(int code) { keys.Set(code, true); }
    void Release(int code) { keys.Set(code, false); }
    // Down for one tick, up on the next: a latched key acts on that second tick.
    void Tap(int code) {
        Press(code);
        Tick();
        Release(code);
        Tick();
    }
    // Ticks until TickCount (after the tick) has the wanted value.
    void TickUntilCount(int count) {
        do {
            Tick();
        } while (g().TickCount != count);
    }
    void StartGame() { Tap(dik::Space); }

    // Empties the playfield and puts a piece at the top, leaving the rest be.
    void ClearWell() {
        for (int row = 0; row <= 25; ++row) {
            for (int col = 0; col <= 9; ++col) {
                g().Well(col, row) = 0;
            }
        }
    }
    void FillRow(int row, std::int16_t colour = 1, int gapCol = -1) {
        for (int col = 0; col <= 9; ++col) {
            g().Well(col, row) = col == gapCol ? 0 : colour;
        }
    }
    std::vector<std::string> Played() const { return sound.Played(); }

    HeadlessWindowSystem window;
    ScriptedKeyboard keys;
    RecordingRenderDevice render;
    RecordingSoundDevice sound;
    RecordingMediaSystem media;
    Form1 form;
    bool loaded = false;
};

}  // namespace dv::test
