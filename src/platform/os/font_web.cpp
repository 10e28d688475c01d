// A page has no system fonts to ask for: the bundled files serve every face.
#include "platform/os/FontSystem.h"

namespace dv::os {

struct FontLocator::System::State {};

FontLocator::System::System() = default;

FontLocator::System::~System() = default;

std::optional<FontFile> FontLocator::System::Find(const std::string& /*face*/, bool /*bold*/) const {
    return std::nullopt;
}

}  // namespace dv::os
