# What a Windows build needs besides the sources, found the Windows way.

# The window needs a Qt 6 built for Windows; Debian has none for mingw-w64, so a cross-build here
# makes virelo-check.exe alone. On a Windows machine with Qt 6 (MinGW or MSVC) the window is built
# too.
find_package(Qt6 QUIET COMPONENTS Core Gui Widgets)
if(NOT Qt6Widgets_FOUND)
    message(STATUS "No Qt 6 for Windows found: building virelo-check.exe without the window")
endif()

# nlohmann/json is headers only and the same on every system. A cross-build takes the build
# machine's copy, through a directory that holds nothing else, so that no other header of the
# build machine can reach the Windows compiler.
find_package(nlohmann_json 3 QUIET)
if(NOT nlohmann_json_FOUND)
    find_path(VIRELO_JSON_HEADERS nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
              REQUIRED)
    set(_json_dir ${CMAKE_BINARY_DIR}/json-headers)
    file(MAKE_DIRECTORY ${_json_dir})
    file(CREATE_LINK ${VIRELO_JSON_HEADERS}/nlohmann ${_json_dir}/nlohmann SYMBOLIC)
    add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
    target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${_json_dir})
endif()

# A Windows program is unpacked into a folder of its own: the programs, the Java test class beside
# them, the README and the licence.
set(CMAKE_INSTALL_BINDIR .)
set(VIRELO_JAR_DIR .)

# The programs and the tests side by side, so that the tests find virelo-check.exe beside them.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# GCC 12 warns wrongly about overlapping copies in optimised string concatenation (its bug
# 105329), which the cross-build's Release optimisation brings out all over the program.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
endif()
