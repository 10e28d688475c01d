// The cells of cleared rows bursting off the screen: a fixed pool of flying
// cells, launched by the line check and moved once per play-screen frame.
#include <cmath>

#include "graphics/modGrafica.h"
#include "graphics/LaunchAngles.h"

namespace dv {

void modGrafica::SpawnDebris() {
    int k = 0;
    for (int i = 1; i <= 4; ++i) {
        if (game_.ClearedRows[static_cast<std::size_t>(i)] != -1) {
            ++k;
        }
    }
    int column = 0;
    for (DebrisCell& cell : Debris) {
        if (k == 0) {
            break;
        }
        if (cell.Active != 0) {
            continue;
        }
        const std::int16_t r = game_.ClearedRows[static_cast<std::size_t>(k)];
        cell.X = static_cast<float>(static_cast<std::int16_t>(300 + 17 * column));
        cell.Y = static_cast<float>(static_cast<std::int16_t>(536 - 17 * r));
        cell.Z = 0;
        cell.Speed = static_cast<float>(static_cast<int>(game_.Rnd.Next() * 10.0) + 15);
        cell.Angle = static_cast<int>(game_.Rnd.Next() * 20.0) + 80;
        cell.Time = 0;
        cell.Active = True16;
        cell.Tex = game_.Well(column, r);
        ++column;
        if (column == 10) {
            column = 0;
            game_.ClearedRows[static_cast<std::size_t>(k)] = -1;
            --k;
        }
    }
    // Cells that found no free slot are not launched, but their rows are
    // released all the same, so a stale row never leaks into the next clear.
    for (int i = 1; i <= 4; ++i) {
        game_.ClearedRows[static_cast<std::size_t>(i)] = -1;
    }
}

void modGrafica::EvolveDebris() {
    for (DebrisCell& cell : Debris) {
        if (cell.Active == 0) {
            continue;
        }
        const SinCos a = LaunchSinCos(cell.Angle);
        const double t = cell.Time;
        cell.X = static_cast<float>(cell.Speed * a.cos * t + cell.X);
        cell.Y = static_cast<float>(cell.Speed * a.sin * t + cell.Y - t * 4.9 * t);
        cell.Time = static_cast<float>(t + 0.1);
        if (cell.Y < 0) {
            cell.Active = False16;
        }
    }
    for (const DebrisCell& cell : Debris) {
        if (cell.Active == 0) {
            continue;
        }
        const float spin = static_cast<float>(cell.Speed * cell.Time * 360.0f * DegToRad);
        DrawDebrisCell(static_cast<std::int16_t>(std::nearbyint(cell.X)),
                       static_cast<std::int16_t>(std::nearbyint(600.0f - cell.Y)), spin, cell.Tex, 17,
                       cell.Time / 3.0 + 1.0);
    }
}

void modGrafica::DrawDebrisCell(std::int16_t x, std::int16_t y, float angle, std::int16_t tex, std::int16_t size,
                                double scale) {
    // The spin arrives already in radians and is converted once more: the
    // cells have always turned this slowly.
    IRenderDevice& device = core_.Device();
    const auto centre = static_cast<float>(size / 2);
    const TextureId texture = (tex >= 0 && tex <= 20) ? core_.Textures[static_cast<std::size_t>(tex)] : 0;
    device.SpriteBegin();
    device.SpriteDraw(texture, Vec2{static_cast<float>(scale), static_cast<float>(scale)}, Vec2{centre, centre},
                      static_cast<float>(angle * DegToRad), Vec2{static_cast<float>(x), static_cast<float>(y)},
                      OpaqueWhite);
    device.SpriteEnd();
}

}  // namespace dv
