#pragma once

#include <vector>

#include "line_classifier.h"
#include "regex/regex.h"

class TinkerClassifier : public LineClassifier {
public:
    explicit TinkerClassifier(bool shortcuts);
    ~TinkerClassifier() override;
    const char* name() const override { return shortcuts_ ? "Tinker" : "Tinker, shortcuts off"; }
    LineClass classify(const char* line, int length) override;

private:
    bool shortcuts_;
    std::vector<Regex*> patterns_;
};
