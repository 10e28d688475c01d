# A cross build (Windows, the web, arm64) draws no icon: the window's icon
# compiled into the program is the one the native build's asset generator
# wrote, copied into this build's DV_WINDOW_ICON_DIR as target window-icon.
function(dv_native_window_icon native)
    set(header ${native}/icons/window/GameIcon.h)
    if(NOT EXISTS ${header})
        message(FATAL_ERROR "${header} is missing: build the native assets first (make build)")
    endif()
    add_custom_command(OUTPUT ${DV_WINDOW_ICON_DIR}/GameIcon.h
        COMMAND ${CMAKE_COMMAND} -E copy ${header} ${DV_WINDOW_ICON_DIR}/GameIcon.h
        DEPENDS ${header}
        COMMENT "Taking the window's icon from the native build"
        VERBATIM)
    add_custom_target(window-icon DEPENDS ${DV_WINDOW_ICON_DIR}/GameIcon.h)
endfunction()
