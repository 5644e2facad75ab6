#pragma once

#include <string>

#include "benchmark_report.h"

// Runs the terminal host on a pseudo-terminal for the million-line build and counts how often
// it wrote to the terminal in its busiest second, against a budget of 60 writes a second.
TargetResult measureHostFlushes(const std::string& tinkerProgram, const std::string& moduleDirectory,
                                const std::string& workDirectory);
