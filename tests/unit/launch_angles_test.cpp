// The launch-angle table stands in for sin and cos on every build; here, on
// the build machine's C library it was taken from, each entry must be the
// very bits that library computes, or the table changed the game.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

#include "graphics/LaunchAngles.h"

namespace dv {
namespace {

TEST(LaunchAngles, EveryEntryIsBitForBitWhatTheCLibraryComputes) {
    for (int degrees = kFirstLaunchAngle; degrees < kFirstLaunchAngle + static_cast<int>(kLaunchSinCos.size());
         ++degrees) {
        const double a = degrees * DegToRad;
        const SinCos fixed = LaunchSinCos(degrees);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fixed.sin), std::bit_cast<std::uint64_t>(std::sin(a))) << degrees;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fixed.cos), std::bit_cast<std::uint64_t>(std::cos(a))) << degrees;
    }
    // Outside the table the library answers.
    EXPECT_EQ(LaunchSinCos(79).sin, std::sin(79 * DegToRad));
    EXPECT_EQ(LaunchSinCos(100).cos, std::cos(100 * DegToRad));
}

}  // namespace
}  // namespace dv
