#include <ctime>

#include "platform/os/Os.h"

namespace dv::os {

std::filesystem::path ProgramDirectory() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

double ProcessCpuSeconds() {
    // Here std::clock counts the processor time of every thread of the process.
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

void UseParentConsole() {
    // A program started from a terminal already writes to it.
}

bool PageHasFocus() {
    return true;
}

void AddTouchKeys(KeyboardState&) {
    // No page, no touch controls: a touch screen here is a mouse to SDL.
}

void ReleaseTouchKeys() {}

bool ShowsFramesOnPage() {
    return false;
}

void ShowFrame(std::uint32_t*, int, int) {}

bool WindowResizable() {
    return true;
}

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace dv::os
