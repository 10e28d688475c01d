// The program compiled to WebAssembly: in a web page, or under Node.js for
// the tests. Its files are emscripten's: the preloaded ones at the root of
// its own file system in the page, the real ones under Node.js.
#include <emscripten.h>

#include <cstring>

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

EM_JS(int, dv_shows_frames_on_page, (), {
    return typeof document !== 'undefined' && Module['canvas'] ? 1 : 0;
});

// The canvas's pixels are copied straight out of the program's memory: no
// copy of the frame on the way, and no pass in JavaScript. The ImageData is a
// view of that memory, made again only when the memory grows (its old buffer
// is then gone) or the frame moves.
EM_JS(void, dv_show_frame, (std::uint32_t* pixels, int width, int height), {
    var canvas = Module['canvas'];
    var shown = Module['dvShownFrame'];
    if (!shown || shown.buffer !== HEAPU8.buffer || shown.pixels !== pixels || shown.canvas !== canvas ||
        shown.image.width !== width || shown.image.height !== height) {
        if (canvas.width !== width || canvas.height !== height) {
            canvas.width = width;
            canvas.height = height;
        }
        shown = Module['dvShownFrame'] = {
            buffer: HEAPU8.buffer,
            pixels: pixels,
            canvas: canvas,
            context: canvas.getContext('2d'),
            image: new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4), width, height)
        };
    }
    shown.context.putImageData(shown.image, 0, 0);
});

}  // namespace

bool ShowsFramesOnPage() {
    return dv_shows_frames_on_page() != 0;
}

void ShowFrame(std::uint32_t* pixels, int width, int height) {
    // A canvas pixel's fourth byte is its alpha, and the frame leaves its
    // spare byte as the drawing happened to: made opaque, two pixels a step.
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::size_t i = 0;
    for (; i + 1 < count; i += 2) {
        std::uint64_t pair = 0;
        std::memcpy(&pair, pixels + i, sizeof pair);
        pair |= 0xFF000000FF000000ULL;
        std::memcpy(pixels + i, &pair, sizeof pair);
    }
    if (i < count) {
        pixels[count - 1] |= 0xFF000000U;
    }
    dv_show_frame(pixels, width, height);
}

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
