#pragma once

#include <vector>

#include "line_classifier.h"
#include "regex/regex.h"

class TinkerClassifier : public LineClassifier {
public:
    // zeroTerminated: call match on the zero-terminated line, as the plug-in does, instead of
    // matchRange with its length, as the peers are given.
    TinkerClassifier(const std::vector<ParserEntry>& entries, bool shortcuts, bool zeroTerminated);
    ~TinkerClassifier() override;
    const char* name() const override {
        return !shortcuts_ ? "Tinker, shortcuts off" : zeroTerminated_ ? "Tinker, zero-terminated" : "Tinker";
    }
    LineClass classify(const char* line, int length) override;

private:
    bool shortcuts_;
    bool zeroTerminated_;
    std::vector<Regex*> patterns_;
};
