#pragma once
#include <filesystem>
#include <string_view>

namespace dv {

// Appends "text" and CR LF to DEBUG.TXT in `folder` (the current directory in
// the game), opening and closing the file each time. Returns false when the
// file cannot be written; the caller still shows its message.
bool DebugLog(std::string_view text, const std::filesystem::path& folder = {});

}  // namespace dv
