#include "platform/os/FontLocator.h"

#include "platform/Error.h"
#include "platform/os/FontSystem.h"
#include "platform/os/Utf8Path.h"

namespace dv::os {

FontFile BundledFont(const std::filesystem::path& folder, const std::string& face, bool bold) {
    FontFile found;
    found.file = folder / (face == "Comic Sans MS" ? "ComicNeue-Bold.otf" : "DejaVuSans-Bold.ttf");
    // Only bold cuts travel with the game; a regular face is drawn from them too.
    static_cast<void>(bold);
    return found;
}

FontLocator::FontLocator(std::filesystem::path bundledFolder)
    : system_(std::make_unique<System>()), bundled_(std::move(bundledFolder)) {}

FontLocator::~FontLocator() = default;

FontFile FontLocator::Find(const std::string& face, bool bold) const {
    if (std::optional<FontFile> found = system_->Find(face, bold)) {
        return *found;
    }
    FontFile bundled = BundledFont(bundled_, face, bold);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(bundled.file, ec)) {
        throw Error(err::RenderDeviceFailed,
                    "Nessun carattere installato corrisponde a " + face + " (manca " + Utf8FromPath(bundled.file) + ")");
    }
    return bundled;
}

}  // namespace dv::os
