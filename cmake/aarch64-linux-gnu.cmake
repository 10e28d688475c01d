# Cross build for 64-bit Arm Linux (a Raspberry Pi with a 64-bit system and
# other arm64 machines running Debian 12) with Debian's aarch64-linux-gnu GCC.
#
# DV_ARM64_SYSROOT names the arm64 sysroot (the root/ folder that
# scripts/arm64-sysroot prints): Debian's arm64 packages, extracted. Headers,
# libraries and pkg-config files are taken from there and from the cross
# compiler's own folder only, so nothing of the build machine's amd64
# libraries can be picked up. Programs built here run under qemu-aarch64.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(DV_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${DV_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${DV_ARM64_TRIPLE}-g++)
set(CMAKE_AR ${DV_ARM64_TRIPLE}-gcc-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${DV_ARM64_TRIPLE}-gcc-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${DV_ARM64_TRIPLE}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${DV_ARM64_TRIPLE}-objdump CACHE FILEPATH "")

# Try-compile projects get a fresh cache: hand them the sysroot too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DV_ARM64_SYSROOT)
if(NOT DV_ARM64_SYSROOT AND DEFINED ENV{DV_ARM64_SYSROOT})
    set(DV_ARM64_SYSROOT $ENV{DV_ARM64_SYSROOT})
endif()
if(NOT EXISTS "${DV_ARM64_SYSROOT}/lib/${DV_ARM64_TRIPLE}/libc.so.6")
    message(FATAL_ERROR "DV_ARM64_SYSROOT ('${DV_ARM64_SYSROOT}') is no arm64 sysroot: scripts/arm64-sysroot makes one")
endif()
set(CMAKE_SYSROOT ${DV_ARM64_SYSROOT})

set(CMAKE_FIND_ROOT_PATH ${DV_ARM64_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the sysroot's arm64 .pc files and prefixes their paths
# with the sysroot; the build machine's own are never seen.
set(ENV{PKG_CONFIG_LIBDIR}
    "${DV_ARM64_SYSROOT}/usr/lib/${DV_ARM64_TRIPLE}/pkgconfig:${DV_ARM64_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${DV_ARM64_SYSROOT})

# Tests (and GoogleTest's discovery of them) run the arm64 programs through
# the user-mode emulator, which finds the arm64 loader and libraries in the
# sysroot. No binfmt_misc registration is needed or assumed.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L ${DV_ARM64_SYSROOT})
