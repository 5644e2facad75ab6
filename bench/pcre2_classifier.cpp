#include "pcre2_classifier.h"

#include <cstdio>
#include <cstdlib>

Pcre2Classifier::Pcre2Classifier(const std::vector<ParserEntry>& entries, bool jit) : LineClassifier(entries), jit_(jit) {
    for (const ParserEntry& entry : entries_) {
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(entry.perl.c_str()), PCRE2_ZERO_TERMINATED,
                                          PCRE2_ANCHORED | (entry.caseless ? PCRE2_CASELESS : 0), &error, &offset, nullptr);
        if (!code || (jit && pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) != 0)) {
            std::fprintf(stderr, "PCRE2 cannot compile %s\n", entry.perl.c_str());
            std::exit(2);
        }
        patterns_.push_back(code);
    }
    matchData_ = pcre2_match_data_create(10, nullptr);
}

Pcre2Classifier::~Pcre2Classifier() {
    pcre2_match_data_free(matchData_);
    for (pcre2_code* code : patterns_) pcre2_code_free(code);
}

LineClass Pcre2Classifier::classify(const char* line, int length) {
    const PCRE2_SPTR subject = reinterpret_cast<PCRE2_SPTR>(line);
    for (size_t i = 0; i < entries_.size(); ++i) {
        int found = jit_ ? pcre2_jit_match(patterns_[i], subject, PCRE2_SIZE(length), 0, 0, matchData_, nullptr)
                         : pcre2_match(patterns_[i], subject, PCRE2_SIZE(length), 0, 0, matchData_, nullptr);
        if (found <= 0) continue;
        const PCRE2_SIZE* vector = pcre2_get_ovector_pointer(matchData_);
        int starts[10];
        int ends[10];
        for (int k = 0; k < 10; ++k) {
            bool set = k < found && vector[2 * k] != PCRE2_UNSET;
            starts[k] = set ? int(vector[2 * k]) : -1;
            ends[k] = set ? int(vector[2 * k + 1]) : -1;
        }
        return classFromGroups(entries_[i], starts, ends);
    }
    return LineClass();
}
