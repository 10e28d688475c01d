#pragma once
// The system half of FontLocator, one per operating system (font_<os>.cpp).
#include <memory>
#include <optional>
#include <string>

#include "platform/os/FontLocator.h"

namespace dv::os {

class FontLocator::System {
public:
    System();
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    std::optional<FontFile> Find(const std::string& face, bool bold) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace dv::os
