// The program compiled to WebAssembly: in a web page, or under Node.js for
// the tests. Its files are emscripten's: the preloaded ones at the root of
// its own file system in the page, the real ones under Node.js.
#include <emscripten.h>

#include "platform/os/Os.h"

namespace dv::os {

namespace {

// Emscripten's base path is always "/". In the page the data is preloaded
// there; under Node.js the data lies beside the .js file.
EM_JS(int, dv_program_directory, (char* out, int size), {
    var dir = ENVIRONMENT_IS_NODE ? scriptDirectory : "/";
    if (lengthBytesUTF8(dir) + 1 > size) {
        return 0;
    }
    stringToUTF8(dir, out, size);
    return 1;
});

// Node.js knows its processor time. A page cannot ask: there the time spent
// inside the game's frame and sound callbacks stands in for it
// (FrameLoop_web.cpp).
EM_JS(double, dv_cpu_seconds, (), {
    if (ENVIRONMENT_IS_NODE) {
        var used = process.cpuUsage();
        return (used.user + used.system) / 1e6;
    }
    return (Module['dvBusyMs'] || 0) / 1000;
});

// The page's input (web/touch.js) answers for the focus and the touch
// controls; under Node.js there is no page, and SDL's own focus decides.
EM_JS(int, dv_page_has_focus, (), {
    var input = Module['dvInput'];
    return !input || input.takeFocus() ? 1 : 0;
});

EM_JS(void, dv_add_touch_keys, (std::uint8_t* state), {
    var input = Module['dvInput'];
    if (input) {
        input.takeTouchKeys().forEach(function(code) { HEAPU8[state + code] = 0x80; });
    }
});

EM_JS(void, dv_release_touch_keys, (), {
    var input = Module['dvInput'];
    if (input) {
        input.releaseTouchKeys();
    }
});

}  // namespace

std::filesystem::path ProgramDirectory() {
    char dir[4096] = {};
    if (dv_program_directory(dir, static_cast<int>(sizeof dir)) == 0) {
        return {};
    }
    return std::filesystem::path(dir);
}

double ProcessCpuSeconds() {
    return dv_cpu_seconds();
}

void UseParentConsole() {
    // Output goes to the browser's console or to Node's own streams.
}

bool PageHasFocus() {
    return dv_page_has_focus() != 0;
}

void AddTouchKeys(KeyboardState& state) {
    dv_add_touch_keys(state.data());
}

void ReleaseTouchKeys() {
    dv_release_touch_keys();
}

bool WindowResizable() {
    // SDL would resize a resizable canvas to its size on the page, and the
    // picture must stay 800x600 however the page scales it.
    return false;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace dv::os
