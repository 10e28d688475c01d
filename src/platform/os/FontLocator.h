#pragma once
// Finds the font file for a face the game asks for: the system's own fonts
// first (fontconfig on Linux, the registered fonts on Windows), then the two
// files that travel with the game in the program's fonts/ folder.
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace dv::os {

struct FontFile {
    std::filesystem::path file;
    int index = 0;
    // The face has no bold cut of its own: the strokes must be thickened.
    bool embolden = false;
};

// The bundled file that stands in for a face: Comic Neue Bold for the game's
// lettering, DejaVu Sans Bold for every other face (what fontconfig picks
// for the score labels on a Debian desktop).
FontFile BundledFont(const std::filesystem::path& folder, const std::string& face, bool bold);

class FontLocator {
public:
    explicit FontLocator(std::filesystem::path bundledFolder);
    ~FontLocator();
    FontLocator(const FontLocator&) = delete;
    FontLocator& operator=(const FontLocator&) = delete;

    // Raises dv::Error(RenderDeviceFailed) when neither the system nor the
    // bundle has a file.
    FontFile Find(const std::string& face, bool bold) const;

    // The system's own fonts (font_<os>.cpp); nullopt when it offers no file.
    class System;

private:
    std::unique_ptr<System> system_;
    std::filesystem::path bundled_;
};

}  // namespace dv::os
