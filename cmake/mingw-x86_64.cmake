# Cross build for x86_64 Windows with the MinGW-w64 compilers from Debian.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TINKER_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
