#pragma once

#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/line_match.h"

// Collects the loader's problems as "index" or "index:argument".
class RecordingReporter : public ConfigurationReporter {
public:
    void report(ConfigurationProblem problem, const char* argument) override;
    std::vector<std::string> problems;
};

// Frees the configuration, loads the XML text as the current document and builds the model;
// -1 when the text does not parse.
int loadConfigurationText(const std::string& xml, RecordingReporter& reporter);
// The same for a file.
int loadConfigurationFile(const std::string& path, RecordingReporter& reporter);

// A classification as "-" for none, or "E file:line:column" / "W file:line:column".
std::string describeMatch(int kind, const LineMatch& match);
