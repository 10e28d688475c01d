// The fixed parts of the play screen: the well's frame and cells, the
// swaying lines-and-score panel and the statistics panel.
#include <string>

#include "graphics/modGrafica.h"

namespace dv {

void modGrafica::DrawWellBorder() {
    core_.DrawSprite(141, 64, 9, 1, 1, 0, 0, 0, 1.0f);
}

void modGrafica::DrawWell() {
    for (int row = 0; row <= 25; ++row) {
        for (int col = 0; col <= 9; ++col) {
            const std::int16_t cell = game_.Well(col, row);
            if (cell != 0) {
                core_.DrawCell(static_cast<std::int16_t>(col), static_cast<std::int16_t>(row), 0, 300, 64, cell, 19,
                               1.0);
            }
        }
    }
}

void modGrafica::DrawScorePanel() {
    core_.DrawSprite(550, 50, 11, 1.0, 1.0, 0, 0, 0, 1.0f);
    const int w1 = WobbleStep > 10 ? WobbleStep : 20 - WobbleStep;
    const int w2 = WobbleStep > 10 ? 20 - WobbleStep : WobbleStep;
    IRenderDevice& device = core_.Device();
    device.DrawText(core_.GameFonts[0], OpaqueWhite, std::to_string(game_.LinesCleared),
                    RectL{580 + w1, 75, 685 + w1, 120}, textformat::Center);
    device.DrawText(core_.GameFonts[0], OpaqueWhite, std::to_string(game_.GameScore),
                    RectL{550 + w2, 125, 715 + w2, 180}, textformat::Center);
}

void modGrafica::DrawStats() {
    core_.DrawSprite(40, 130, 20, 1.0, 1.0, 0, 0, 0, 1.0f);
    for (int p = 1; p <= 7; ++p) {
        const auto originY = static_cast<std::int16_t>(150 + 35 * p);
        for (int dx = 0; dx <= 3; ++dx) {
            for (int dy = 0; dy <= 3; ++dy) {
                if (game_.PieceShapes(p, 1, dx, dy) == 1) {
                    core_.DrawCell(static_cast<std::int16_t>(dx - 2), static_cast<std::int16_t>(dy - 2), 0, 100,
                                   originY, static_cast<std::int16_t>(p), 10, 0.5);
                }
            }
        }
        // Counts keep the sign position: a blank before a number that is not negative.
        const std::int16_t count = game_.PieceStats[static_cast<std::size_t>(p)];
        const std::string text = count >= 0 ? " " + std::to_string(count) : std::to_string(count);
        core_.Device().DrawText(core_.GameFonts[1], OpaqueWhite, text, RectL{110, originY - 15, 150, originY + 15},
                                textformat::Left);
    }
}

}  // namespace dv
