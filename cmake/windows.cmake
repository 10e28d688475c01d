# The Windows build, cross-compiled with cmake/mingw-w64-x86_64.cmake against
# the static libraries scripts/third-party/build-libs mingw makes. The
# pictures, sounds and icon come from a native build (DV_NATIVE_BUILD_DIR):
# the asset generator runs on the build machine, not under Windows.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(SDL2_MIXER REQUIRED IMPORTED_TARGET SDL2_mixer)
pkg_check_modules(SDL2_TTF REQUIRED IMPORTED_TARGET SDL2_ttf)
pkg_check_modules(SDL2_IMAGE REQUIRED IMPORTED_TARGET SDL2_image)
foreach(lib SDL2 SDL2_MIXER SDL2_TTF SDL2_IMAGE)
    # Never the host's: the toolchain file points pkg-config at the prefix only.
    if(NOT "${${lib}_PREFIX}" STREQUAL "${DV_WINDOWS_PREFIX}")
        message(FATAL_ERROR "${lib} found in '${${lib}_PREFIX}', not in DV_WINDOWS_PREFIX '${DV_WINDOWS_PREFIX}'")
    endif()
endforeach()

# The game has its own main(), started by MinGW's runtime like any program:
# SDL's header must not rename it, and SDL's WinMain wrapper stays out.
# (sdl2.pc asks for -Dmain=SDL_main; the other three libraries bring that
# and SDL2main along through their Requires: sdl2.)
add_compile_definitions(SDL_MAIN_HANDLED)
foreach(lib SDL2 SDL2_MIXER SDL2_TTF SDL2_IMAGE)
    get_target_property(dv_libs PkgConfig::${lib} INTERFACE_LINK_LIBRARIES)
    list(FILTER dv_libs EXCLUDE REGEX "SDL2main")
    set_target_properties(PkgConfig::${lib} PROPERTIES INTERFACE_LINK_LIBRARIES "${dv_libs}")
    get_target_property(dv_flags PkgConfig::${lib} INTERFACE_COMPILE_OPTIONS)
    if(dv_flags)
        list(FILTER dv_flags EXCLUDE REGEX "^-Dmain=")
        set_target_properties(PkgConfig::${lib} PROPERTIES INTERFACE_COMPILE_OPTIONS "${dv_flags}")
    endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/header-only.cmake)

set(DV_NATIVE_BUILD_DIR "" CACHE PATH "A native build whose out/ holds the generated assets and icons/ the icon")
include(${CMAKE_CURRENT_LIST_DIR}/native-icon.cmake)
dv_native_window_icon(${DV_NATIVE_BUILD_DIR})

# The program as Windows shows it: a window program (no console of its own),
# linked statically so nothing but system DLLs is needed, with the game's
# icon and a version resource for Explorer and the taskbar.
function(dv_windows_program target)
    # Optimised like the native build; the debugging symbols stay out of the package.
    # No link time in the header (the same sources make the same program).
    target_link_options(${target} PRIVATE -static -mwindows -s -Wl,--no-insert-timestamp)
    # Drawn by the native build's asset generator with the other icons.
    set(ico ${DV_NATIVE_BUILD_DIR}/icons/windows/dravo-vantle.ico)
    if(NOT EXISTS ${ico})
        message(FATAL_ERROR "${ico} is missing: build the native assets first (DV_NATIVE_BUILD_DIR)")
    endif()
    set(DV_ICO ${ico})
    set(DV_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
    configure_file(${CMAKE_SOURCE_DIR}/cmake/dravo-vantle.rc.in ${CMAKE_BINARY_DIR}/dravo-vantle.rc @ONLY)
    set_source_files_properties(${CMAKE_BINARY_DIR}/dravo-vantle.rc PROPERTIES OBJECT_DEPENDS ${ico})
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/dravo-vantle.rc)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME dravo-vantle SUFFIX .exe)
endfunction()
