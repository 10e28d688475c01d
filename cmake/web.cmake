# The browser build, configured with Debian's emscripten (emcmake cmake).
#
# DV_WEB_PREFIX names the folder holding the WebAssembly builds of SDL2,
# SDL2_mixer, SDL2_ttf with FreeType and SDL2_image (what
# `scripts/third-party/build-libs emscripten` prints). The header-only
# libraries come from Debian's own packages, seen through a folder of links
# so that no host header folder ever reaches an emcc command line.
set(DV_WEB_PREFIX "$ENV{DV_WEB_PREFIX}" CACHE PATH "WebAssembly libraries (build-libs emscripten)")
if(NOT EXISTS "${DV_WEB_PREFIX}/lib/libSDL2.a")
    message(FATAL_ERROR "DV_WEB_PREFIX (${DV_WEB_PREFIX}) holds no WebAssembly SDL2: run scripts/third-party/build-libs emscripten")
endif()

# The start-up failure path throws, and the floating-point rules are those of
# every build: no contraction into fused multiply-adds, no fast-math.
add_compile_options(-fexceptions -ffp-contract=off)
add_link_options(-fexceptions)

function(dv_web_library name)
    add_library(PkgConfig::${name} INTERFACE IMPORTED)
    set_target_properties(PkgConfig::${name} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${DV_WEB_PREFIX}/include/SDL2;${DV_WEB_PREFIX}/include")
    list(TRANSFORM ARGN PREPEND "${DV_WEB_PREFIX}/lib/")
    set_property(TARGET PkgConfig::${name} PROPERTY INTERFACE_LINK_LIBRARIES ${ARGN})
endfunction()
dv_web_library(SDL2 libSDL2.a)
dv_web_library(SDL2_MIXER libSDL2_mixer.a libSDL2.a)
dv_web_library(SDL2_TTF libSDL2_ttf.a libfreetype.a libSDL2.a)
dv_web_library(SDL2_IMAGE libSDL2_image.a libSDL2.a)

include(${CMAKE_CURRENT_LIST_DIR}/header-only.cmake)

# The generated pictures, sounds, music and icon are the native build's:
# the generator is a host tool, and its output is the same bytes anywhere.
set(DV_WEB_ASSETS "${CMAKE_SOURCE_DIR}/build/default" CACHE PATH
    "A native build folder whose out/ holds texture/ and sounds/, and icons/ the game icon")
include(${CMAKE_CURRENT_LIST_DIR}/native-icon.cmake)
dv_native_window_icon(${DV_WEB_ASSETS})
# Where `make web` collects the page, and the program linked for Node.js.
set(DV_WEB_PAGE_DIR "${CMAKE_BINARY_DIR}/page" CACHE PATH "Output folder of the web page")
set(DV_WEB_NODE_DIR "${CMAKE_BINARY_DIR}/node" CACHE PATH "Output folder of the program for Node.js")
