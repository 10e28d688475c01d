#include "app/GameFonts.h"

namespace dv {

os::BundledFonts GameFonts(const std::filesystem::path& programDirectory) {
    return os::BundledFonts{programDirectory / "fonts", {{"Comic Sans MS", "ComicNeue-Bold.otf"}}, "DejaVuSans-Bold.ttf"};
}

}  // namespace dv
