#pragma once
// Finds the font file for a face: the system's own fonts first (fontconfig
// on Linux, the fonts registered with Windows), then the files that travel
// with the program. The system half is font_<os>.cpp, picked by CMake.
#include <filesystem>
#include <map>
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

// The font files that travel with the program, all in one folder: the file
// that stands in for each face named, and one for every other face. The
// caller, which knows the faces it draws with, says which.
struct BundledFonts {
    std::filesystem::path folder;
    std::map<std::string, std::filesystem::path, std::less<>> faces;
    std::filesystem::path otherFaces;

    std::filesystem::path FileFor(const std::string& face) const;
};

class FontLocator {
public:
    // Reads what the system offers once; raises dv::Error(RenderDeviceFailed)
    // when its font configuration cannot be loaded.
    explicit FontLocator(BundledFonts bundled);
    ~FontLocator();
    FontLocator(const FontLocator&) = delete;
    FontLocator& operator=(const FontLocator&) = delete;

    // Raises dv::Error(RenderDeviceFailed), naming the missing file, when
    // neither the system nor the bundle has one.
    FontFile Find(const std::string& face, bool bold) const;

private:
    // The system's fonts as font_<os>.cpp reads them.
    struct Installed;

    // nullopt when the system offers no file for the face.
    std::optional<FontFile> FindInstalled(const std::string& face, bool bold) const;

    std::unique_ptr<const Installed> installed_;
    BundledFonts bundled_;
};

}  // namespace dv::os
