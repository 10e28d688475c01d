// In a web page the program must return to the browser, which then calls it
// back once per display frame (about every 16.7 ms at 60 Hz); under Node.js
// the same loop runs on timers. Sleeping inside WebAssembly would only spin.
#include <emscripten.h>

#include "platform/FrameLoop.h"

namespace dv {
namespace {

// Up to about 100 ms behind the grid every tick is made up (one or two a
// frame normally, a few after a slow frame); further behind, the tab was
// hidden or the machine stalled, and the grid restarts without a burst.
constexpr std::chrono::nanoseconds kCatchUp = std::chrono::milliseconds(100);
// A fast run keeps most of each frame and leaves the browser time to draw
// and to answer, so the tab never freezes.
constexpr std::chrono::nanoseconds kFastBudget = std::chrono::milliseconds(12);
// Under Node.js nothing is drawn: a fast run gives the event loop a turn
// now and then, no more.
constexpr std::chrono::nanoseconds kFastBudgetNode = std::chrono::milliseconds(250);

EM_JS(int, dv_under_node, (), { return ENVIRONMENT_IS_NODE ? 1 : 0; });

// The page keeps the last frame: SDL empties the canvas when it closes.
EM_JS(void, dv_run_finishing, (), {
    if (Module['onRunFinishing']) {
        Module['onRunFinishing']();
    }
});

// A page cannot read its processor time; the time spent inside the frame
// callbacks is the game's share of the page's thread (see os_web.cpp).
// SDL's sound callback runs on the same thread outside them (a
// ScriptProcessorNode mixing the next buffer), so its handler is timed too,
// from the first frame after the sound device opens.
EM_JS(void, dv_count_busy, (double ms), {
    Module['dvBusyMs'] = (Module['dvBusyMs'] || 0) + ms;
    var audio = Module['SDL2'] && Module['SDL2'].audio;
    var node = audio && audio.scriptProcessorNode;
    if (node && !node.dvTimed && node['onaudioprocess']) {
        var mix = node['onaudioprocess'];
        node['onaudioprocess'] = function(e) {
            var started = performance.now();
            try {
                mix(e);
            } finally {
                Module['dvBusyMs'] += performance.now() - started;
            }
        };
        node.dvTimed = true;
    }
});

bool UnderNode() {
    return dv_under_node() != 0;
}

void Frame(void* arg) {
    auto* run = static_cast<SteppedRun*>(arg);
    const double started = emscripten_get_now();
    const bool more = run->Step(kCatchUp, UnderNode() ? kFastBudgetNode : kFastBudget);
    dv_count_busy(emscripten_get_now() - started);
    if (more) {
        return;
    }
    emscripten_cancel_main_loop();
    dv_run_finishing();
    int status = 0;
    {
        // Gone before the exit, which unwinds no C++ frames: SDL closes its
        // sound and window.
        const std::unique_ptr<SteppedRun> done(run);
        status = done->Finish();
    }
    // The page learns of the end through Module.onExit; Node.js exits with
    // the status, its output flushed.
    emscripten_force_exit(status);
}

}  // namespace

int RunToEnd(std::unique_ptr<SteppedRun> run) {
    const bool paced = run->Paced();
    // The run outlives main, whose stack is abandoned when it hands control
    // back to the browser: the last frame's callback deletes it.
    SteppedRun* owned = run.release();
    emscripten_set_main_loop_arg(Frame, owned, 0, 0);
    if (!paced && UnderNode()) {
        emscripten_set_main_loop_timing(EM_TIMING_SETIMMEDIATE, 0);
    }
    emscripten_exit_with_live_runtime();
    return 0;
}

}  // namespace dv
