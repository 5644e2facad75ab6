#pragma once

// The required-literal check that runs before the program; inline because it decides most
// subjects and costs little more than the memchr calls it makes.

#include <cstring>

#include "regex/regex.h"

inline bool Regex::containsRequiredLiterals(const uint8_t* begin, const uint8_t* end) const {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(requiredBytes_.data());
    const uint8_t* p = begin;
    for (const RequiredRun& required : requiredRuns_) {
        const uint8_t* run = bytes + required.offset;
        const int32_t length = required.length;
        if (end - p < length) return false;
        const int32_t anchor = required.anchor;
        if (!requiredFolded_ && length == 1) {
            const void* hit = std::memchr(p, run[0], size_t(end - p));
            if (!hit) return false;
            p = static_cast<const uint8_t*>(hit) + 1;
        } else if (anchor >= 0) {
            // Candidates are the places of the run's rarest byte; the run may start no earlier
            // than p and must end by end.
            const uint8_t* from = p + anchor;
            const uint8_t* to = end - (length - anchor) + 1;
            for (;;) {
                const void* hit = std::memchr(from, run[anchor], size_t(to - from));
                if (!hit) return false;
                const uint8_t* start = static_cast<const uint8_t*>(hit) - anchor;
                int32_t i = 0;
                if (requiredFolded_) {
                    while (i < length && lowerTable_[start[i]] == run[i]) ++i;
                } else {
                    while (i < length && start[i] == run[i]) ++i;
                }
                if (i == length) {
                    p = start + length;
                    break;
                }
                from = static_cast<const uint8_t*>(hit) + 1;
                if (from >= to) return false;
            }
        } else {
            // Every byte of the folded run has case variants: try every start.
            const uint8_t* lastStart = end - length;
            for (;;) {
                if (lowerTable_[*p] == run[0]) {
                    int32_t i = 1;
                    while (i < length && lowerTable_[p[i]] == run[i]) ++i;
                    if (i == length) break;
                }
                if (++p > lastStart) return false;
            }
            p += length;
        }
    }
    return true;
}
