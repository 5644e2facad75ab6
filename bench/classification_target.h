#pragma once

#include <string>

#include "benchmark_report.h"
#include "build_log_generator.h"

// Classifies every line of the log with the default configuration's gcc parser, the way the
// plug-in does, and with the same patterns in PCRE2 (JIT and interpreter), RE2 and
// std::regex; every engine must agree with PCRE2 JIT on every line. Prints a table of all
// engines; the result compares the plug-in with PCRE2 JIT. ourSecondsPerLine receives the
// plug-in's time per line.
TargetResult measureClassification(const BuildLog& log, const std::string& configPath, int rounds,
                                   double& ourSecondsPerLine);
