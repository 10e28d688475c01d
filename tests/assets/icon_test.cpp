#include "icon.h"

#include <gtest/gtest.h>

#include <cmath>

// A phone cuts the home-screen icon to its own shape, keeping at least the
// central circle of 80% of the side: the cells must all lie inside it, and
// what is cut must be ground, never a transparent hole.
TEST(MaskableIcon, OpaqueWithEveryCellInsideTheSafeCircle)
{
    for (const int size : {192, 512}) {
        const assetgen::Canvas icon = assetgen::makeMaskableIcon(size);
        ASSERT_EQ(icon.width(), size);
        ASSERT_EQ(icon.height(), size);
        const assetgen::Col ground = assetgen::maskableGround();
        const float safe = 0.4f * static_cast<float>(size);
        int drawn = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const assetgen::Px& p = icon.at(x, y);
                ASSERT_NEAR(p.a, 1.0f, 1e-4f) << size << ": " << x << "," << y;
                const float off = std::fabs(p.r - ground.r) + std::fabs(p.g - ground.g) + std::fabs(p.b - ground.b);
                // The cells' faint shadow may reach a little past them.
                if (off < 0.06f)
                    continue;
                ++drawn;
                const float dx = static_cast<float>(x) + 0.5f - size / 2.0f;
                const float dy = static_cast<float>(y) + 0.5f - size / 2.0f;
                ASSERT_LE(std::hypot(dx, dy), safe) << size << ": a cell at " << x << "," << y;
            }
        // Eleven cells of about 13% of the side each.
        EXPECT_GT(drawn, size * size / 6) << size;
    }
}
