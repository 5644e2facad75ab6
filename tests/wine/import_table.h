#pragma once

#include <windows.h>

// Points one of a loaded module's imported functions at a replacement by patching the module's
// import address table; returns the function it called before, or null when the module does
// not import it.
void* replaceImport(HMODULE module, const char* libraryName, const char* functionName, void* replacement);
