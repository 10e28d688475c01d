// Makes every picture, sound and the music of the game from code, the same
// bytes on every run. Usage:
//   assetgen OUTDIR                 writes OUTDIR/texture and OUTDIR/sounds
//   assetgen --sheet OUTDIR PNG     contact sheet of the pictures in OUTDIR
//   assetgen --preview OUTDIR PNG   play-screen composite (and PNG-over)
//   assetgen --icon SIZE PNG        the desktop icon, SIZE x SIZE with alpha
//   assetgen --icon-maskable SIZE PNG   the home-screen icon, opaque, for any mask
//   assetgen --icon-touch SIZE PNG  the home-screen icon of iPhones and iPads, opaque
//   assetgen --icon-header SIZE H   the window's icon as C++ source
//   assetgen --icon-ico ICO         the Windows program's icon, 256 to 16 pixels

#include "art.h"
#include "icon.h"
#include "music.h"
#include "sheet.h"
#include "sounds.h"
#include "text.h"

#include <SDL.h>
#include <SDL_image.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

void generate(const std::filesystem::path& out)
{
    using namespace assetgen;
    const auto t0 = Clock::now();
    std::filesystem::create_directories(out / "texture");
    std::filesystem::create_directories(out / "sounds");

    // The music is the slowest part and shares nothing with the pictures, so
    // it gets a core of its own.
    std::exception_ptr musicError;
    double musicSeconds = 0;
    std::thread music([&] {
        try {
            const auto m0 = Clock::now();
            const Pcm pcm = renderSong(composeSong());
            writeFile((out / "sounds" / "vantle1.mp3").string(), encodeMp3(pcm));
            musicSeconds = since(m0);
        } catch (...) {
            musicError = std::current_exception();
        }
    });

    try {
        Fonts fonts;
        for (const Picture& p : makePictures(fonts))
            saveBmp(p.canvas, p.keying, (out / "texture" / p.name).string());
        const double pictures = since(t0);
        for (const Sound& s : makeSounds())
            writeFile((out / "sounds" / s.name).string(), encodeWav(s.pcm));
        std::printf("assetgen: pictures %.2f s, sounds %.2f s", pictures, since(t0) - pictures);
    } catch (...) {
        music.join();
        throw;
    }
    music.join();
    if (musicError)
        std::rethrow_exception(musicError);
    std::printf(", music %.2f s; total %.2f s\n", musicSeconds, since(t0));
}

} // namespace

int main(int argc, char** argv)
{
    if (TTF_Init() != 0) {
        std::fprintf(stderr, "assetgen: TTF_Init: %s\n", TTF_GetError());
        return 1;
    }
    int rc = 0;
    try {
        const std::string mode = argc > 1 ? argv[1] : "";
        if ((mode == "--sheet" || mode == "--preview") && argc == 4) {
            assetgen::Fonts fonts;
            if (mode == "--sheet")
                assetgen::writeContactSheet(fonts, argv[2], argv[3]);
            else
                assetgen::writePlayPreview(fonts, argv[2], argv[3]);
        } else if (mode == "--icon" && argc == 4) {
            assetgen::saveRgbaPng(assetgen::makeIcon(std::stoi(argv[2])), argv[3]);
        } else if (mode == "--icon-maskable" && argc == 4) {
            assetgen::saveRgbaPng(assetgen::makeMaskableIcon(std::stoi(argv[2])), argv[3]);
        } else if (mode == "--icon-touch" && argc == 4) {
            assetgen::saveRgbaPng(assetgen::makeTouchIcon(std::stoi(argv[2])), argv[3]);
        } else if (mode == "--icon-ico" && argc == 3) {
            std::vector<assetgen::Canvas> sizes;
            for (const int size : {256, 64, 48, 32, 16})
                sizes.push_back(assetgen::makeIcon(size));
            assetgen::writeFile(argv[2], assetgen::encodeIco(sizes));
        } else if (mode == "--icon-header" && argc == 4) {
            const std::string text = assetgen::iconHeader(assetgen::makeIcon(std::stoi(argv[2])));
            assetgen::writeFile(argv[3], std::vector<std::uint8_t>(text.begin(), text.end()));
        } else if (argc == 2 && mode[0] != '-') {
            generate(argv[1]);
        } else {
            std::fprintf(stderr, "usage: assetgen OUTDIR | --sheet OUTDIR PNG | --preview OUTDIR PNG | --icon SIZE PNG | --icon-maskable SIZE PNG | --icon-touch SIZE PNG | --icon-header SIZE H | --icon-ico ICO\n");
            rc = 2;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        rc = 1;
    }
    TTF_Quit();
    // Releases fontconfig's caches, so leak checkers see a clean exit.
    FcFini();
    return rc;
}
