#pragma once

#include <string>
#include <vector>

#include "benchmark_report.h"

// The plug-in at work on the log, in processes of their own (so that the peak memory is the
// build's): a build whose child is `cat` of the log, through RunBuild with the scripted host,
// then loading the log as an output file, then ClassifyLine of every loaded line, the load's
// peer. Gives the capture, load and memory targets.
std::vector<TargetResult> measurePluginTargets(const std::string& moduleDirectory, const std::string& logPath,
                                               int rounds);

// The body of one such process (the benchmark runs itself with --plugin-child): prints the
// figures on standard output.
int runPluginChild(const std::string& moduleDirectory, const std::string& logPath);

// Writes tinker.xml into the module directory: the default configuration plus a file type
// whose command is `cat` of the log.
void writeBenchmarkConfiguration(const std::string& defaultConfig, const std::string& moduleDirectory,
                                 const std::string& logPath);
