#pragma once

#include <windows.h>

#include <vector>

// The values the next handles of this process would get. Wine's server hands out the lowest
// free slot first, so a handle that a run left open shows up as a change in this list.
std::vector<HANDLE> nextHandleValues();
