#pragma once
// Paths to and from UTF-8 text. A narrow string is not UTF-8 to every
// standard library (on Windows it is the ANSI code page), so text from the
// command line or from SDL becomes a path only through these.
#include <filesystem>
#include <string>
#include <string_view>

namespace dv {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace dv
