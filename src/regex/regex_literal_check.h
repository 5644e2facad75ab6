#pragma once

// The required-literal check that runs before the program; inline because it decides most
// subjects and costs little more than the memchr calls it makes.

#include <cstring>

#include "foundation/vector_search.h"
#if defined(TINKER_SSE2_SEARCH)
#include <emmintrin.h>
#endif

#include "regex/regex.h"

// The position just after the first place at or after from where the run ends by end, or
// none.
inline const uint8_t* Regex::findRun(const RequiredRun& required, const uint8_t* from, const uint8_t* end) const {
    const uint8_t* run = reinterpret_cast<const uint8_t*>(requiredBytes_.data()) + required.offset;
    const int32_t length = required.length;
    if (end - from < length) return nullptr;
    const int32_t anchor = required.anchor;
    if (!requiredFolded_ && length == 1) {
        const void* hit = std::memchr(from, run[0], size_t(end - from));
        return hit ? static_cast<const uint8_t*>(hit) + 1 : nullptr;
    }
    if (required.pair >= 0) {
        // Candidates are the starts where the run's rarest pair of bytes stands; few are false.
        const int32_t pair = required.pair;
        const uint8_t* lastStart = end - length;
        const uint8_t* start = from;
#if defined(TINKER_SSE2_SEARCH)
        // Sixteen starts at a time; the loads end no later than the last start's pair. The
        // last block is moved back to end at the last start, its starts already tried masked.
        if (lastStart - start >= 15) {
            const __m128i first = _mm_set1_epi8(char(run[pair]));
            const __m128i second = _mm_set1_epi8(char(run[pair + 1]));
            for (;;) {
                unsigned tried = 0;
                if (start + 15 > lastStart) {
                    tried = (1u << (start - (lastStart - 15))) - 1;
                    start = lastStart - 15;
                }
                __m128i at = _mm_loadu_si128(reinterpret_cast<const __m128i*>(start + pair));
                __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(start + pair + 1));
                unsigned candidates = unsigned(_mm_movemask_epi8(
                    _mm_and_si128(_mm_cmpeq_epi8(at, first), _mm_cmpeq_epi8(next, second)))) & ~tried;
                while (candidates) {
                    const uint8_t* candidate = start + __builtin_ctz(candidates);
                    if (std::memcmp(candidate, run, size_t(length)) == 0) return candidate + length;
                    candidates &= candidates - 1;
                }
                start += 16;
                if (start > lastStart) return nullptr;
            }
        }
#endif
        for (; start <= lastStart; ++start) {
            if (start[pair] == run[pair] && start[pair + 1] == run[pair + 1] &&
                std::memcmp(start, run, size_t(length)) == 0) {
                return start + length;
            }
        }
        return nullptr;
    }
    if (anchor >= 0) {
        // Candidates are the places of the run's rarest byte; the run may start no earlier than
        // from and must end by end.
        const uint8_t* candidate = from + anchor;
        const uint8_t* to = end - (length - anchor) + 1;
        for (;;) {
            const void* hit = std::memchr(candidate, run[anchor], size_t(to - candidate));
            if (!hit) return nullptr;
            const uint8_t* start = static_cast<const uint8_t*>(hit) - anchor;
            int32_t i = 0;
            if (requiredFolded_) {
                while (i < length && lowerTable_[start[i]] == run[i]) ++i;
            } else {
                while (i < length && start[i] == run[i]) ++i;
            }
            if (i == length) return start + length;
            candidate = static_cast<const uint8_t*>(hit) + 1;
            if (candidate >= to) return nullptr;
        }
    }
    // Every byte of the folded run has case variants: try every start.
    const uint8_t* lastStart = end - length;
    for (const uint8_t* p = from; p <= lastStart; ++p) {
        if (lowerTable_[*p] != run[0]) continue;
        int32_t i = 1;
        while (i < length && lowerTable_[p[i]] == run[i]) ++i;
        if (i == length) return p + length;
    }
    return nullptr;
}

inline bool Regex::containsRequiredLiterals(const uint8_t* begin, const uint8_t* end, bool gatePassed) const {
    if (!gatePassed && gateRun_ >= 0 && !findRun(requiredRuns_[size_t(gateRun_)], begin, end)) return false;
    const uint8_t* p = begin;
    for (const RequiredRun& required : requiredRuns_) {
        p = findRun(required, p, end);
        if (!p) return false;
    }
    return true;
}
