// Where fontconfig offers no font at all, the files that travel with the game
// must still give every face the game asks for a file to draw with, from the
// folder the caller names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "RenderFixture.h"
#include "TempDir.h"
#include "app/GameFonts.h"
#include "platform/Error.h"
#include "platform/os/FontLocator.h"

namespace dv {
namespace {

using os::FontFile;
using os::FontLocator;

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
    const FontLocator locator(GameFonts(DV_OUT_DIR));
    const FontFile lettering = locator.Find("Comic Sans MS", true);
    EXPECT_EQ(lettering.file, std::filesystem::path(DV_OUT_DIR) / "fonts" / "ComicNeue-Bold.otf");
    EXPECT_TRUE(std::filesystem::is_regular_file(lettering.file));
    for (const char* label : {"Comics sans MS", "Magneto"}) {
        const FontFile found = locator.Find(label, true);
        EXPECT_EQ(found.file.filename(), "DejaVuSans-Bold.ttf") << label;
        EXPECT_TRUE(std::filesystem::is_regular_file(found.file)) << label;
    }

    // Nothing bundled either: the player is told which file is missing.
    const FontLocator bare(GameFonts(none.Path()));
    try {
        locator.Find("Comic Sans MS", true);
        bare.Find("Comic Sans MS", true);
        ADD_FAILURE() << "a face with no file at all was found";
    } catch (const Error& e) {
        EXPECT_NE(e.Description().find("ComicNeue-Bold.otf"), std::string::npos) << e.Description();
    }
}

// The game hands the render device the fonts beside the program as the host
// knows its folder; the device must draw from there and work out no folder
// of its own.
class BundledFontsTest : public sdl::test::RenderFixture {};

TEST_F(BundledFontsTest, TheRenderDeviceDrawsFromTheFolderItIsGiven) {
    const NoSystemFonts none;
    const std::filesystem::path elsewhere = none.Path() / "elsewhere";
    std::filesystem::create_directories(elsewhere / "fonts");
    for (const char* file : {"ComicNeue-Bold.otf", "DejaVuSans-Bold.ttf"}) {
        std::filesystem::copy_file(std::filesystem::path(DV_OUT_DIR) / "fonts" / file, elsewhere / "fonts" / file);
    }
    device_ = std::make_unique<sdl::SdlRenderDevice>(window_, GameFonts(elsewhere));
    device_->CreateDevice(W, H);
    const FontId lettering = device_->CreateTextFont({"Comic Sans MS", 24, true});
    const FontId label = device_->CreateTextFont({"Magneto", 18, true});
    EXPECT_EQ(device_->FontFile(lettering).file, elsewhere / "fonts" / "ComicNeue-Bold.otf");
    EXPECT_EQ(device_->FontFile(label).file, elsewhere / "fonts" / "DejaVuSans-Bold.ttf");

    device_->Clear(clear::Target, 0xFF000000, 1.0F, 0);
    Text(lettering, 0xFFFFFFFF, "Livello 3", {0, 0, 400, 100}, textformat::Left);
    Text(label, 0xFFFFFFFF, "+40", {0, 200, 400, 300}, textformat::Left);
    const sdl::test::Bounds lit = LitBounds(device_->ReadFrame(), 0xFF000000);
    EXPECT_LT(lit.top, 40);
    EXPECT_GE(lit.bottom, 200);
}

}  // namespace
}  // namespace dv
