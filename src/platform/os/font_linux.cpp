// Faces as the desktop resolves them through fontconfig.
#include <fontconfig/fontconfig.h>

#include "platform/Error.h"
#include "platform/os/FontLocator.h"

namespace dv::os {

namespace {

struct PatternDestroyer {
    void operator()(FcPattern* pattern) const noexcept { FcPatternDestroy(pattern); }
};
using PatternPtr = std::unique_ptr<FcPattern, PatternDestroyer>;

struct ConfigDestroyer {
    void operator()(FcConfig* config) const noexcept { FcConfigDestroy(config); }
};

[[noreturn]] void ThrowFontError(const std::string& what) {
    throw Error(err::RenderDeviceFailed, what);
}

}  // namespace

// The configuration is loaded privately rather than through fontconfig's
// shared default, which is never released before exit and shows up as a
// leak under the sanitizers.
struct FontLocator::Installed {
    std::unique_ptr<FcConfig, ConfigDestroyer> config{FcInitLoadConfigAndFonts()};
};

FontLocator::FontLocator(BundledFonts bundled)
    : installed_(std::make_unique<const Installed>()), bundled_(std::move(bundled)) {
    if (!installed_->config) {
        ThrowFontError("Configurazione dei caratteri non disponibile");
    }
}

FontLocator::~FontLocator() = default;

std::optional<FontFile> FontLocator::FindInstalled(const std::string& face, bool bold) const {
    FcConfig* config = installed_->config.get();
    PatternPtr pattern(FcPatternCreate());
    if (!pattern) {
        ThrowFontError("Memoria insufficiente per cercare il carattere " + face);
    }
    const auto* family = reinterpret_cast<const FcChar8*>(face.c_str());
    FcPatternAddString(pattern.get(), FC_FAMILY, family);
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.get(), FC_SLANT, FC_SLANT_ROMAN);
    if (!FcConfigSubstitute(config, pattern.get(), FcMatchPattern)) {
        ThrowFontError("Configurazione dei caratteri non disponibile per " + face);
    }
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    PatternPtr match(FcFontMatch(config, pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
        // No font installed at all: the bundled files serve.
        return std::nullopt;
    }
    FontFile found;
    found.file = reinterpret_cast<const char*>(file);
    int index = 0;
    if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch) {
        found.index = index;
    }
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match.get(), FC_EMBOLDEN, 0, &embolden) == FcResultMatch) {
        found.embolden = embolden != FcFalse;
    }
    return found;
}

}  // namespace dv::os
