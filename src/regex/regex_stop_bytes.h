#pragma once

// Repetitions of a set that holds every byte but a few, such as [^":]* in a file name: the
// matcher looks for those few bytes sixteen places at a time instead of testing every byte
// against the set. The set decides the same.

#include <cstdint>

#include "foundation/vector_search.h"
#if defined(TINKER_SSE2_SEARCH)
#include <emmintrin.h>
#endif

#include "regex/regex_program.h"

// The first place in [p, limit) that holds one of the node's stop bytes; limit when none does.
inline const uint8_t* scanToStopByte(const RegexNode* node, const uint8_t* p, const uint8_t* limit) {
    const uint8_t first = node->stops[0];
    const uint8_t second = node->stops[1];
    const uint8_t third = node->stops[2];
#if defined(TINKER_SSE2_SEARCH)
    const __m128i a = _mm_set1_epi8(char(first));
    const __m128i b = _mm_set1_epi8(char(second));
    const __m128i c = _mm_set1_epi8(char(third));
    for (; limit - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, a), _mm_cmpeq_epi8(bytes, b)), _mm_cmpeq_epi8(bytes, c));
        if (unsigned mask = unsigned(_mm_movemask_epi8(hits))) return p + __builtin_ctz(mask);
    }
#endif
    while (p < limit && *p != first && *p != second && *p != third) ++p;
    return p;
}
