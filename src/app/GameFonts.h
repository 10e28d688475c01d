#pragma once
// The faces the game draws with and the files that travel with it for them
// (CMake copies both into fonts/ beside the program): Comic Neue Bold for the
// lettering, "Comic Sans MS"; DejaVu Sans Bold for every other face, the
// score labels' "Comics sans MS" and "Magneto", as fontconfig picks them on a
// Debian desktop. They serve where the system has no file for a face.
#include <filesystem>

#include "platform/os/FontLocator.h"

namespace dv {

os::BundledFonts GameFonts(const std::filesystem::path& programDirectory);

}  // namespace dv
