#pragma once

// Whether the searches of stored text may use SSE2. The CMake option TINKER_PORTABLE_SEARCH
// leaves every vector path out, so that the byte-by-byte path the 32-bit DLL takes on
// processors without SSE2 is built and tested on Linux too.
#if defined(__SSE2__) && !defined(TINKER_PORTABLE_SEARCH)
#define TINKER_SSE2_SEARCH 1
#endif
