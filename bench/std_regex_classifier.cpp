#include "std_regex_classifier.h"

StdRegexClassifier::StdRegexClassifier(const std::vector<ParserEntry>& entries) : LineClassifier(entries) {
    for (const ParserEntry& entry : entries_) {
        auto flags = std::regex::ECMAScript | std::regex::optimize;
        if (entry.caseless) flags |= std::regex::icase;
        patterns_.emplace_back(entry.perl, flags);
    }
}

LineClass StdRegexClassifier::classify(const char* line, int length) {
    std::cmatch groups;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (!std::regex_search(line, line + length, groups, patterns_[i], std::regex_constants::match_continuous)) continue;
        int starts[10];
        int ends[10];
        for (int k = 0; k < 10; ++k) {
            bool set = k < int(groups.size()) && groups[size_t(k)].matched;
            starts[k] = set ? int(groups[size_t(k)].first - line) : -1;
            ends[k] = set ? int(groups[size_t(k)].second - line) : -1;
        }
        return classFromGroups(entries_[i], starts, ends);
    }
    return LineClass();
}
