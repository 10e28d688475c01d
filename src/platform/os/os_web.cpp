// The program compiled to WebAssembly: in a web page, or under Node.js for
// the tests. Its files are emscripten's: the preloaded ones at the root of
// its own file system in the page, the real ones under Node.js.
#include <emscripten.h>

#include <ctime>

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

// Node.js knows its processor time; a page cannot ask.
EM_JS(double, dv_node_cpu_seconds, (), {
    if (ENVIRONMENT_IS_NODE) {
        var used = process.cpuUsage();
        return (used.user + used.system) / 1e6;
    }
    return -1;
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
    // In a page the C clock is the wall clock: the share it gives is the
    // share of time the program held the browser's thread at most.
    const double node = dv_node_cpu_seconds();
    return node >= 0 ? node : static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void UseParentConsole() {
    // Output goes to the browser's console or to Node's own streams.
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
