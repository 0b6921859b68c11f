# Cross-building tessary-cli for 64-bit Windows with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64-posix or -win32, scripts/windows-cli.sh installs it):
#
#     cmake -S . -B build-windows --toolchain cmake/mingw-w64.cmake -DTESSARY_BUILD_UI=OFF \
#         -DBUILD_TESTING=OFF -DTESSARY_PUGIXML_SOURCE=/path/to/pugixml/src
#
# or `cmake --preset windows-cli` (CMakePresets.json), which says the same.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TESSARY_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${TESSARY_MINGW_TRIPLE}-g++-posix
                                      ${TESSARY_MINGW_TRIPLE}-g++-win32
                                      ${TESSARY_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TESSARY_MINGW_TRIPLE}-windres)

# Headers and libraries come from the MinGW tree only, never from the build machine's own.
set(CMAKE_FIND_ROOT_PATH /usr/${TESSARY_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
