# Cross build for Windows x86 (32-bit) with mingw-w64 (posix thread model): the module for hosts
# that are 32-bit processes, with the stand-in host and the tests built the same way.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TOOLCHAIN_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
