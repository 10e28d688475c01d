# A Linux build for another processor (cmake/aarch64-linux-gnu.cmake) takes
# the pictures, sounds, icons and manual page from a native build
# (DV_NATIVE_BUILD_DIR): the asset generator and the manual page generator
# run on the build machine, and what they make is the same bytes for any
# processor. The install rules then see the same `assets` target, icon tree
# and manual page as in a native build.
set(DV_NATIVE_BUILD_DIR "" CACHE PATH "A native build whose out/ holds the generated assets, icons/ the icons and man/ the manual page")

set(dv_native ${DV_NATIVE_BUILD_DIR})
set(dv_native_files)
foreach(file
        out/texture/texBlu.bmp out/sounds/vantle1.mp3
        icons/hicolor/48x48/apps/dravo-vantle.png icons/hicolor/256x256/apps/dravo-vantle.png
        icons/window/GameIcon.h man/dravo-vantle.6.gz)
    if(NOT EXISTS ${dv_native}/${file})
        message(FATAL_ERROR "${dv_native}/${file} is missing: build the native game first (make build) and name it in DV_NATIVE_BUILD_DIR")
    endif()
endforeach()
file(GLOB dv_native_files CONFIGURE_DEPENDS
    ${dv_native}/out/texture/* ${dv_native}/out/sounds/* ${dv_native}/icons/hicolor/*/apps/*)

set(DV_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
set(dv_stamp ${CMAKE_BINARY_DIR}/native-assets.stamp)
add_custom_command(OUTPUT ${dv_stamp}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${dv_native}/out/texture ${DV_OUT_DIR}/texture
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${dv_native}/out/sounds ${DV_OUT_DIR}/sounds
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${dv_native}/icons/hicolor ${DV_ICON_DIR}
    COMMAND ${CMAKE_COMMAND} -E touch ${dv_stamp}
    DEPENDS ${dv_native_files}
    COMMENT "Taking the pictures, sounds and icons from the native build")
add_custom_target(assets ALL DEPENDS ${dv_stamp})

include(${CMAKE_CURRENT_LIST_DIR}/native-icon.cmake)
dv_native_window_icon(${dv_native})

set(DV_NATIVE_MANPAGE ${dv_native}/man/dravo-vantle.6.gz)
