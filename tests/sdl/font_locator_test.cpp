// Where fontconfig offers no font at all, the files that travel with the game
// must still give every face the game asks for a file to draw with.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "TempDir.h"
#include "platform/Error.h"
#include "platform/os/FontLocator.h"

namespace dv::os {
namespace {

// fontconfig reads the configuration FONTCONFIG_FILE names; this one knows no fonts.
class NoSystemFonts {
public:
    NoSystemFonts() {
        if (const char* old = std::getenv("FONTCONFIG_FILE")) {
            old_ = old;
        }
        const auto conf = dir_.Path() / "fonts.conf";
        std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
        setenv("FONTCONFIG_FILE", conf.c_str(), 1);
    }
    ~NoSystemFonts() {
        if (old_) {
            setenv("FONTCONFIG_FILE", old_->c_str(), 1);
        } else {
            unsetenv("FONTCONFIG_FILE");
        }
    }
    const std::filesystem::path& Path() const { return dir_.Path(); }

private:
    test::TempDir dir_;
    std::optional<std::string> old_;
};

TEST(FontLocator, WithoutAnySystemFontTheBundledFilesServeEveryFace) {
    const NoSystemFonts none;
    const FontLocator locator(std::filesystem::path(DV_OUT_DIR) / "fonts");
    const FontFile lettering = locator.Find("Comic Sans MS", true);
    EXPECT_EQ(lettering.file, std::filesystem::path(DV_OUT_DIR) / "fonts" / "ComicNeue-Bold.otf");
    EXPECT_TRUE(std::filesystem::is_regular_file(lettering.file));
    for (const char* label : {"Comics sans MS", "Magneto"}) {
        const FontFile found = locator.Find(label, true);
        EXPECT_EQ(found.file.filename(), "DejaVuSans-Bold.ttf") << label;
        EXPECT_TRUE(std::filesystem::is_regular_file(found.file)) << label;
    }

    // Nothing bundled either: the player is told which file is missing.
    const FontLocator bare(none.Path() / "fonts");
    try {
        locator.Find("Comic Sans MS", true);
        bare.Find("Comic Sans MS", true);
        ADD_FAILURE() << "a face with no file at all was found";
    } catch (const Error& e) {
        EXPECT_NE(e.Description().find("ComicNeue-Bold.otf"), std::string::npos) << e.Description();
    }
}

}  // namespace
}  // namespace dv::os
