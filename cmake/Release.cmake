# The release build (scripts/dist.sh, in build/release): the i686 programs
# stripped, holding nothing that differs between two builds of the same
# sources in other folders, on other machines or at other times.
option(BRIVOK_RELEASE "Build the product for the release package" OFF)
if(NOT BRIVOK_RELEASE)
    return()
endif()
if(NOT BRIVOK_WIN32 OR NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    message(FATAL_ERROR "The release is the i686 build: configure with cmake/mingw-i686.cmake")
endif()

# No folder of this build in the programs (__FILE__, debug information).
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
# No symbols or debugging sections, and 0 for the link time in the header.
add_link_options(-s -Wl,--no-insert-timestamp)

# What the packaging step needs to know of this tree.
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/release.env CONTENT
"version=${PROJECT_VERSION}
objdump=${CMAKE_OBJDUMP}
tool=$<TARGET_FILE:BrivokPatch>
bspatch=$<TARGET_FILE:bspatch>
")
