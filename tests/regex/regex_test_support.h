#pragma once

// Shared by the regex tests: compile-and-match in one call, with the outcome as a value.

#include <string>
#include <vector>

#include "regex/regex.h"

struct MatchOutcome {
    int matched = 0;
    int errorCode = 0;
    int count = 0;
    std::vector<CaptureSpan> spans;

    // The text of span k, or "<none>" when the group took no part.
    std::string text(const std::string& subject, int k) const {
        if (k >= count || spans[size_t(k)].start < 0) return "<none>";
        return subject.substr(size_t(spans[size_t(k)].start), size_t(spans[size_t(k)].end - spans[size_t(k)].start));
    }
};

inline bool operator==(const CaptureSpan& a, const CaptureSpan& b) { return a.start == b.start && a.end == b.end; }

inline bool operator==(const MatchOutcome& a, const MatchOutcome& b) {
    if (a.matched != b.matched || a.errorCode != b.errorCode || a.count != b.count) return false;
    // The spans of a failed match mean nothing.
    return !a.matched || a.spans == b.spans;
}

inline MatchOutcome matchWith(Regex& regex, const std::string& subject, int room = 10) {
    MatchOutcome outcome;
    std::vector<CaptureSpan> spans(size_t(room), CaptureSpan{-7, -7});
    int count = room;
    outcome.matched = regex.matchRange(subject.data(), subject.data() + subject.size(), spans.data(), count);
    outcome.errorCode = regex.errorCode();
    outcome.count = count;
    spans.resize(size_t(count > 0 ? count : 0));
    outcome.spans = spans;
    return outcome;
}

// Compiles a delimited pattern with the configuration's flags and matches it once.
inline MatchOutcome matchPattern(const char* pattern, const std::string& subject, int room = 10) {
    Regex regex;
    if (!regex.compile(pattern, RegexDelimited | RegexFirstChars)) {
        MatchOutcome failed;
        failed.errorCode = regex.errorCode();
        return failed;
    }
    return matchWith(regex, subject, room);
}

// The whole match as text, "<no match>" when there is none.
inline std::string matched(const char* pattern, const std::string& subject) {
    MatchOutcome outcome = matchPattern(pattern, subject);
    return outcome.matched ? outcome.text(subject, 0) : "<no match>";
}
