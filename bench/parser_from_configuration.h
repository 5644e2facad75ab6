#pragma once

#include <string>
#include <vector>

#include "line_classifier.h"

// The error entries, then the warning entries, of one parser of a tinker.xml, with each pattern
// also written in the peers' notation; exits with a message when the parser is missing.
std::vector<ParserEntry> parserFromConfiguration(const std::string& configPath, const std::string& parserName);
