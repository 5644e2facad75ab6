#pragma once

#include <cstddef>
#include <cstdint>

#include "foundation/vector_search.h"
#if defined(TINKER_SSE2_SEARCH)
#include <emmintrin.h>
#endif

// The first place in [p, limit) that holds byte a or byte b, limit when none does. Lines are
// short, so this inline scan of sixteen bytes at a time beats a call of memchr for each.
inline const char* findEitherByte(const char* p, const char* limit, char a, char b) {
#if defined(TINKER_SSE2_SEARCH)
    const __m128i first = _mm_set1_epi8(a);
    const __m128i second = _mm_set1_epi8(b);
    for (; limit - p >= 16; p += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        unsigned found = unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second))));
        if (found) return p + __builtin_ctz(found);
    }
#endif
    for (; p < limit; ++p) {
        if (*p == a || *p == b) return p;
    }
    return limit;
}

// Whether [p, limit) holds a byte below 0x20 other than LF and CR.
inline bool holdsControlBytes(const char* p, const char* limit) {
#if defined(TINKER_SSE2_SEARCH)
    const __m128i highestControl = _mm_set1_epi8(0x1F);
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i carriageReturn = _mm_set1_epi8('\r');
    __m128i seen = _mm_setzero_si128();
    for (; limit - p >= 16; p += 16) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i controls = _mm_cmpeq_epi8(_mm_min_epu8(block, highestControl), block);
        __m128i lineEnds = _mm_or_si128(_mm_cmpeq_epi8(block, lineFeed), _mm_cmpeq_epi8(block, carriageReturn));
        seen = _mm_or_si128(seen, _mm_andnot_si128(lineEnds, controls));
    }
    if (_mm_movemask_epi8(seen)) return true;
#endif
    for (; p < limit; ++p) {
        unsigned char byte = static_cast<unsigned char>(*p);
        if (byte < 0x20 && byte != '\n' && byte != '\r') return true;
    }
    return false;
}

// Whether a search saw a zero byte, and the byte it was told to watch for, before where it
// stopped.
struct BytesSeen {
    bool zero = false;
    bool watched = false;
};

// Where byte stands in [begin, end), as offsets from begin in order, written to offsets; stops
// once at least most of them are found (offsets must have room for most + 64) and sets *searched
// to the offset it looked up to, and *seen to what else stands before it. The places of a block
// of 64 are written without a branch per place, so that a text of many short lines costs no
// mispredicted branch for each line.
size_t collectByteOffsets(const char* begin, const char* end, char byte, uint32_t* offsets, size_t most,
                          size_t* searched, char watched, BytesSeen* seen);
// The same for the places of either byte, without watching for others.
size_t collectEitherByteOffsets(const char* begin, const char* end, char a, char b, uint32_t* offsets, size_t most,
                                size_t* searched);

// For tests: whether the widest comparisons may be used where the processor has them.
void allowWideByteSearch(bool allowed);
