#include "re2_classifier.h"

#include <cstdio>
#include <cstdlib>

Re2Classifier::Re2Classifier(const std::vector<ParserEntry>& entries) : LineClassifier(entries) {
    for (const ParserEntry& entry : entries_) {
        re2::RE2::Options options;
        options.set_case_sensitive(!entry.caseless);
        options.set_log_errors(false);
        patterns_.emplace_back(new re2::RE2(entry.perl, options));
        if (!patterns_.back()->ok()) {
            std::fprintf(stderr, "RE2 cannot compile %s\n", entry.perl.c_str());
            std::exit(2);
        }
    }
}

LineClass Re2Classifier::classify(const char* line, int length) {
    const re2::StringPiece text(line, size_t(length));
    for (size_t i = 0; i < entries_.size(); ++i) {
        re2::StringPiece groups[10];
        int groupCount = patterns_[i]->NumberOfCapturingGroups() + 1;
        if (!patterns_[i]->Match(text, 0, size_t(length), re2::RE2::ANCHOR_START, groups, groupCount)) continue;
        int starts[10];
        int ends[10];
        for (int k = 0; k < 10; ++k) {
            bool set = k < groupCount && groups[k].data() != nullptr;
            starts[k] = set ? int(groups[k].data() - line) : -1;
            ends[k] = set ? starts[k] + int(groups[k].size()) : -1;
        }
        return classFromGroups(entries_[i], starts, ends);
    }
    return LineClass();
}
