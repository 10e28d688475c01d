// A page has no system fonts to ask for: the bundled files serve every face.
#include "platform/os/FontLocator.h"

namespace dv::os {

struct FontLocator::Installed {};

FontLocator::FontLocator(BundledFonts bundled)
    : installed_(std::make_unique<const Installed>()), bundled_(std::move(bundled)) {}

FontLocator::~FontLocator() = default;

std::optional<FontFile> FontLocator::FindInstalled(const std::string& /*face*/, bool /*bold*/) const {
    return std::nullopt;
}

}  // namespace dv::os
