#pragma once

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <vector>

#include "line_classifier.h"

class Pcre2Classifier : public LineClassifier {
public:
    Pcre2Classifier(const std::vector<ParserEntry>& entries, bool jit);
    ~Pcre2Classifier() override;
    const char* name() const override { return jit_ ? "PCRE2 JIT" : "PCRE2 interpreter"; }
    LineClass classify(const char* line, int length) override;

private:
    bool jit_;
    std::vector<pcre2_code*> patterns_;
    pcre2_match_data* matchData_;
};
