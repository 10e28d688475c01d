// The frame read back: its pixels, and screenshots saved as PNG.
#include "platform/sdl/SdlRenderDevice.h"

#include <SDL_image.h>

#include "platform/sdl/SdlRenderHelpers.h"

namespace dv::sdl {

using namespace render;

std::vector<std::uint32_t> SdlRenderDevice::ReadFrame() const {
    RequireDevice("ReadFrame");
    PayClear();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    Check(SDL_RenderReadPixels(renderer_.get(), nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                               width_ * static_cast<int>(sizeof(std::uint32_t))),
          "Impossibile leggere il fotogramma");
    return pixels;
}

std::uint32_t SdlRenderDevice::ReadPixel(int x, int y) const {
    RequireDevice("ReadPixel");
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        ThrowMisuse("Punto fuori dal fotogramma: " + std::to_string(x) + "," + std::to_string(y));
    }
    PayClear();
    std::uint32_t pixel = 0;
    const SDL_Rect one{x, y, 1, 1};
    Check(SDL_RenderReadPixels(renderer_.get(), &one, SDL_PIXELFORMAT_ARGB8888, &pixel, sizeof pixel),
          "Impossibile leggere il fotogramma");
    return pixel;
}

void SdlRenderDevice::SaveScreenshot(const std::filesystem::path& png) {
    RequireDevice("SaveScreenshot");
    if (drawnSincePresent_ || inScene_) {
        ThrowMisuse("SaveScreenshot chiamato a fotogramma iniziato: va chiamato subito dopo Present");
    }
    std::vector<std::uint32_t> pixels = ReadFrame();
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width_, height_, 32,
                                                          width_ * static_cast<int>(sizeof(std::uint32_t)),
                                                          SDL_PIXELFORMAT_RGB888));
    if (!surface) {
        ThrowSdlRenderError("Impossibile preparare la schermata");
    }
    const std::string name = png.string();
    if (IMG_SavePNG(surface.get(), name.c_str()) != 0) {
        throw Error(err::PathFileAccessError,
                    "Errore di accesso al percorso/file: " + name + " (" + SDL_GetError() + ")");
    }
}

}  // namespace dv::sdl
