#pragma once

#include <regex>
#include <vector>

#include "line_classifier.h"

class StdRegexClassifier : public LineClassifier {
public:
    explicit StdRegexClassifier(const std::vector<ParserEntry>& entries);
    const char* name() const override { return "std::regex"; }
    LineClass classify(const char* line, int length) override;

private:
    std::vector<std::regex> patterns_;
};
