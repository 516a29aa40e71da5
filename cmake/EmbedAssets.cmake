# Writes a C++ source that holds the bytes of the given files, so the program
# carries its images and reads nothing at run time. Runs at configure time;
# editing an asset re-runs the configuration.
#
# embed_assets(OUTPUT file.cpp NAMESPACE ns ENTRIES function=path ...)
function(embed_assets)
    cmake_parse_arguments(EMBED "" "OUTPUT;NAMESPACE" "ENTRIES" ${ARGN})
    set(source "// Generated from the files in assets/ by cmake/EmbedAssets.cmake.\n#include <cstdint>\n#include <span>\n\nnamespace ${EMBED_NAMESPACE} {\n")
    foreach(entry IN LISTS EMBED_ENTRIES)
        string(REPLACE "=" ";" parts "${entry}")
        list(GET parts 0 function)
        list(GET parts 1 path)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
        file(READ "${path}" hex HEX)
        string(LENGTH "${hex}" length)
        math(EXPR size "${length} / 2")
        string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
        string(REGEX REPLACE "((0x..,){32})" "\\1\n" bytes "${bytes}")
        string(APPEND source "\nnamespace {\nstd::uint8_t const ${function}_bytes[${size}] = {\n${bytes}\n};\n}\n\nstd::span<std::uint8_t const> ${function}() { return ${function}_bytes; }\n")
    endforeach()
    string(APPEND source "\n}\n")
    file(CONFIGURE OUTPUT "${EMBED_OUTPUT}" CONTENT "${source}" @ONLY)
endfunction()
