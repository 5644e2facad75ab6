#pragma once

// A realistic compiler log for the benchmark: compile commands, cmake and make chatter,
// gcc diagnostics with their source and caret lines, notes, linker errors.

#include <cstdint>
#include <string>
#include <vector>

struct BuildLog {
    std::string text;               // every line zero-terminated, one after another
    std::vector<uint32_t> starts;   // where each line begins in text
    std::vector<uint32_t> lengths;

    size_t size() const { return starts.size(); }
    const char* line(size_t i) const { return text.data() + starts[i]; }
};

BuildLog generateBuildLog(size_t lineCount, uint32_t seed);
