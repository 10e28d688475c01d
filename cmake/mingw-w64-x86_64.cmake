# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads).
#
# DV_WINDOWS_PREFIX names the folder holding the Windows builds of the
# libraries (scripts/third-party/build-libs mingw prints it). Libraries,
# headers and pkg-config files are looked for there and in the compiler's own
# sysroot only, so the host's Linux SDL can never be picked up.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${DV_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${DV_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${DV_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Try-compile projects get a fresh cache: hand them the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES DV_WINDOWS_PREFIX)
if(NOT DV_WINDOWS_PREFIX AND DEFINED ENV{DV_WINDOWS_PREFIX})
    set(DV_WINDOWS_PREFIX $ENV{DV_WINDOWS_PREFIX})
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${DV_MINGW_TRIPLE} ${DV_WINDOWS_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config reads the prefix's .pc files and nothing of the host's.
if(DV_WINDOWS_PREFIX)
    set(ENV{PKG_CONFIG_LIBDIR} ${DV_WINDOWS_PREFIX}/lib/pkgconfig)
else()
    set(ENV{PKG_CONFIG_LIBDIR} /nonexistent)
endif()
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
