# Cross build for i686 Windows with the MinGW-w64 compilers from Debian.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TINKER_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
