#include "tinker_classifier.h"

#include <cstdio>
#include <cstdlib>

TinkerClassifier::TinkerClassifier(const std::vector<ParserEntry>& entries, bool shortcuts, bool zeroTerminated)
    : LineClassifier(entries), shortcuts_(shortcuts), zeroTerminated_(zeroTerminated) {
    for (const ParserEntry& entry : entries_) {
        Regex* regex = new Regex();
        // The configuration compiles every pattern this way.
        if (!regex->compile(entry.delimited.c_str(), RegexDelimited | RegexFirstChars)) {
            std::fprintf(stderr, "cannot compile %s: error %d at %d\n", entry.delimited.c_str(), regex->errorCode(), regex->errorPos());
            std::exit(2);
        }
        regex->setOptimizations(shortcuts);
        patterns_.push_back(regex);
    }
}

TinkerClassifier::~TinkerClassifier() {
    for (Regex* regex : patterns_) delete regex;
}

LineClass TinkerClassifier::classify(const char* line, int length) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        CaptureSpan spans[10];
        int count = 10;
        int matched = zeroTerminated_ ? patterns_[i]->match(line, spans, count)
                                      : patterns_[i]->matchRange(line, line + length, spans, count);
        if (!matched) continue;
        int starts[10];
        int ends[10];
        for (int k = 0; k < 10; ++k) {
            starts[k] = k < count ? spans[k].start : -1;
            ends[k] = k < count ? spans[k].end : -1;
        }
        return classFromGroups(entries_[i], starts, ends);
    }
    return LineClass();
}
