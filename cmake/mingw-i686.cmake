# Cross build for i686 Windows with the MinGW-w64 compilers from Debian.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TINKER_MINGW_TRIPLE i686-w64-mingw32)
# SSE2 halves the classification's time, and every 32-bit Windows machine still in use has it.
# FAR, built by MSVC, calls in with the stack only 4-byte aligned, and msvcrt's malloc gives 8:
# GCC must align the stack itself where it needs 16 and use aligned new above 8.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mincoming-stack-boundary=2 -faligned-new=8")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
