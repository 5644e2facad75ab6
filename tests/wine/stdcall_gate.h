#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The calling convention as an MSVC-built host holds the module to it. On i686 every export is
// called through an assembly gate that loads known values into the registers the callee must
// keep, the host's x87 control word and a clear direction flag, places the stack a chosen number
// of bytes off a 16-byte boundary (the host only keeps it 4-byte aligned), and compares them all
// after the return. On x86_64 there is one convention and the gate is a plain call.

struct GateCall {
    std::uintptr_t result = 0;
    // What the callee broke, empty when it kept the convention.
    std::string broken;
};

// Calls the stdcall function with word-sized arguments; at its entry ESP + 4 is `skew` bytes
// (0, 4, 8 or 12) below a 16-byte boundary.
GateCall callThroughGate(void* function, const std::vector<std::uintptr_t>& arguments, int skew);
