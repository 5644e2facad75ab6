#pragma once

#include <re2/re2.h>

#include <memory>
#include <vector>

#include "line_classifier.h"

class Re2Classifier : public LineClassifier {
public:
    explicit Re2Classifier(const std::vector<ParserEntry>& entries);
    const char* name() const override { return "RE2"; }
    LineClass classify(const char* line, int length) override;

private:
    std::vector<std::unique_ptr<re2::RE2>> patterns_;
};
