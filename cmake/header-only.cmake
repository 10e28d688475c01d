# nlohmann-json and CLI11 for a cross build, from the build machine's Debian
# packages. Only their own folders are exposed: /usr/include as a whole would
# put the host's C headers in front of the cross compiler's.
set(dv_header_only ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${dv_header_only})
foreach(dir nlohmann CLI)
    if(NOT EXISTS /usr/include/${dir})
        message(FATAL_ERROR "/usr/include/${dir} is missing: scripts/install-deps installs it")
    endif()
    file(CREATE_LINK /usr/include/${dir} ${dv_header_only}/${dir} SYMBOLIC)
endforeach()
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dv_header_only})
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${dv_header_only})
