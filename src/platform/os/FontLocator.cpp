#include "platform/os/FontLocator.h"

#include "platform/Error.h"
#include "platform/os/Utf8Path.h"

namespace dv::os {

std::filesystem::path BundledFonts::FileFor(const std::string& face) const {
    const auto named = faces.find(face);
    return folder / (named != faces.end() ? named->second : otherFaces);
}

FontFile FontLocator::Find(const std::string& face, bool bold) const {
    if (std::optional<FontFile> found = FindInstalled(face, bold)) {
        return *found;
    }
    // Only bold cuts travel with the program; a regular face is drawn from them too.
    FontFile bundled{bundled_.FileFor(face), 0, false};
    std::error_code ec;
    if (!std::filesystem::is_regular_file(bundled.file, ec)) {
        throw Error(err::RenderDeviceFailed,
                    "Nessun carattere installato corrisponde a " + face + " (manca " + Utf8FromPath(bundled.file) + ")");
    }
    return bundled;
}

}  // namespace dv::os
