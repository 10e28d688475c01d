#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

#include "platform/os/Os.h"

namespace dv::os {

namespace {

std::string Utf8(const std::wstring& text) {
    const int length = static_cast<int>(text.size());
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), size, nullptr, nullptr);
    }
    return out;
}

// A handle the C runtime can already write to: a file, a pipe or a console
// the parent handed over.
bool HasStream(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

std::filesystem::path ProgramDirectory() {
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return {};
        }
        if (length < name.size()) {
            name.resize(length);
            return std::filesystem::path(name).parent_path();
        }
        // Cut short: long paths may exceed MAX_PATH.
        name.resize(name.size() * 2);
    }
}

double ProcessCpuSeconds() {
    // std::clock is wall time since start-up here, not processor time.
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        return 0;
    }
    const auto hundredNs = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(hundredNs(kernel) + hundredNs(user)) * 1e-7;
}

void UseParentConsole() {
    const bool out = HasStream(STD_OUTPUT_HANDLE);
    const bool err = HasStream(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) {
        return;
    }
    FILE* ignored = nullptr;
    if (!out) {
        ignored = std::freopen("CONOUT$", "w", stdout);
    }
    if (!err) {
        ignored = std::freopen("CONOUT$", "w", stderr);
    }
    static_cast<void>(ignored);
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
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> args;
    args.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        args.push_back(Utf8(wide[i]));
    }
    LocalFree(wide);
    return args;
}

}  // namespace dv::os
