#pragma once

// A close reading of a configuration text for the person who writes it: where the XML breaks,
// which entry or command the loader would drop and why, and what it would silently ignore
// (misspelt elements and attributes, prefixes no one can type). The loader itself stays terse.

#include <string>
#include <vector>

struct ConfigurationFinding {
    bool problem;    // the loader drops or refuses something; else a warning
    int line;        // 1-based; 0 for the file as a whole
    int column;      // 1-based; 0 when only the line is known
    std::string text;
};

// Every finding in the order of the text; none for a configuration that is clean.
std::vector<ConfigurationFinding> CheckConfigurationText(const char* text);
