#pragma once
// The sine and cosine of the angles debris and flying scores are launched
// at (80 to 99 whole degrees, turned to radians through DegToRad). When a
// cell falls off the screen decides how many random numbers the next clear
// draws, so a last-bit difference between two C libraries' sin or cos would
// change the whole game; these values are fixed here once, as Debian's C
// library computes them, and every build reads them from this table.
#include <array>
#include <cmath>

#include "graphics/Mdx8.h"

namespace dv {

struct SinCos {
    double sin;
    double cos;
};

inline constexpr int kFirstLaunchAngle = 80;
inline constexpr std::array<SinCos, 20> kLaunchSinCos{{
    {0x1.f828941ef8d79p-1, 0x1.650f1c2beab3dp-3},  // 80
    {0x1.f9a38ec5ef1a6p-1, 0x1.41d3d1d679487p-3},  // 81
    {0x1.faf725a35544ap-1, 0x1.1e7f75684ec6ap-3},  // 82
    {0x1.fc233e42da69ep-1, 0x1.f6298ee42b9efp-4},  // 83
    {0x1.fd27c143c6c8dp-1, 0x1.af2d148320201p-4},  // 84
    {0x1.fe049a5ace023p-1, 0x1.680f0355215d0p-4},  // 85
    {0x1.feb9b853a3d13p-1, 0x1.20d4e59fb09ffp-4},  // 86
    {0x1.ff470d125324ap-1, 0x1.b3088faf5c2d9p-5},  // 87
    {0x1.ffac8d94577f2p-1, 0x1.24457065624abp-5},  // 88
    {0x1.ffea31f17887ep-1, 0x1.2ad718e0f6e9bp-6},  // 89
    {0x1.fffff55c67bb1p-1, 0x1.a181296fad3fbp-11},  // 90
    {0x1.ffedd623202d4p-1, -0x1.10c00a7b36145p-6},  // 91
    {0x1.ffb3d5af085b2p-1, -0x1.173b6f72366d3p-5},  // 92
    {0x1.ff51f884d6022p-1, -0x1.a601190495d10p-5},  // 93
    {0x1.fec846443404ap-1, -0x1.1a52f15984795p-4},  // 94
    {0x1.fe16c9a72a605p-1, -0x1.618f57e5bd6f2p-4},  // 95
    {0x1.fd3d908148433p-1, -0x1.a8b03384865c7p-4},  // 96
    {0x1.fc3cabbe904f5p-1, -0x1.efaff9b8b61abp-4},  // 97
    {0x1.fb142f622722dp-1, -0x1.1b44914c75217p-3},  // 98
    {0x1.f9c43284c43eep-1, -0x1.3e9b149eea1bcp-3},  // 99
}};

// sin and cos of `degrees` * DegToRad; from the table for a launch angle.
inline SinCos LaunchSinCos(int degrees) {
    const int i = degrees - kFirstLaunchAngle;
    if (i >= 0 && i < static_cast<int>(kLaunchSinCos.size())) {
        return kLaunchSinCos[static_cast<std::size_t>(i)];
    }
    const double a = degrees * DegToRad;
    return {std::sin(a), std::cos(a)};
}

}  // namespace dv
