#include "foundation/byte_search.h"

// Not on Windows: there GCC cannot align the stack for the wide registers it may spill.
#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32) && !defined(TINKER_PORTABLE_SEARCH)
#define TINKER_WIDE_BYTE_SEARCH 1
#include <immintrin.h>
#endif

namespace {

bool wideAllowed = true;

// Writes the places set in a block's word, the block starting at offset at, from offsets[count]
// on; the new count. Two places cover lines of 32 bytes and more without a branch: a place
// written for an empty word is not counted, and is overwritten.
inline size_t recordPlaces(uint64_t places, size_t at, uint32_t* offsets, size_t count) {
    const uint64_t last = uint64_t(1) << 63;
    offsets[count] = uint32_t(at) + uint32_t(__builtin_ctzll(places | last));
    count += places != 0;
    places &= places - 1;
    offsets[count] = uint32_t(at) + uint32_t(__builtin_ctzll(places | last));
    count += places != 0;
    places &= places - 1;
    for (; places; places &= places - 1) offsets[count++] = uint32_t(at + size_t(__builtin_ctzll(places)));
    return count;
}

// The bytes after the whole blocks, one by one.
size_t collectRest(const char* begin, size_t length, char byte, char other, uint32_t* offsets, size_t most,
                   size_t count, size_t* searched, char watched, BytesSeen* seen) {
    size_t at = *searched;
    for (; at < length && count < most; ++at) {
        if (begin[at] == byte || begin[at] == other) offsets[count++] = uint32_t(at);
        if (begin[at] == 0) seen->zero = true;
        if (begin[at] == watched) seen->watched = true;
    }
    *searched = at;
    return count;
}

// The places of byte, or of either byte when Either.
template <bool Either>
size_t collectBySixteen(const char* begin, size_t length, char byte, char other, uint32_t* offsets, size_t most,
                        size_t* searched, char watched, BytesSeen* seen) {
    size_t count = 0;
    size_t at = 0;
    *seen = BytesSeen{};
#if defined(TINKER_SSE2_SEARCH)
    const __m128i wanted = _mm_set1_epi8(byte);
    const __m128i otherWanted = _mm_set1_epi8(other);
    const __m128i watchedBytes = _mm_set1_epi8(watched);
    __m128i zeros = _mm_setzero_si128();
    __m128i watches = _mm_setzero_si128();
    for (; length - at >= 64 && count < most; at += 64) {
        uint64_t places = 0;
        for (int part = 0; part < 4; ++part) {
            __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + at + 16 * part));
            __m128i found = _mm_cmpeq_epi8(block, wanted);
            if (Either) found = _mm_or_si128(found, _mm_cmpeq_epi8(block, otherWanted));
            places |= uint64_t(uint32_t(_mm_movemask_epi8(found))) << (16 * part);
            if (Either) continue;  // the search for either byte watches for nothing
            zeros = _mm_or_si128(zeros, _mm_cmpeq_epi8(block, _mm_setzero_si128()));
            watches = _mm_or_si128(watches, _mm_cmpeq_epi8(block, watchedBytes));
        }
        count = recordPlaces(places, at, offsets, count);
    }
    seen->zero = _mm_movemask_epi8(zeros) != 0;
    seen->watched = _mm_movemask_epi8(watches) != 0;
#else
    (void)other;
#endif
    *searched = at;
    return collectRest(begin, length, byte, Either ? other : byte, offsets, most, count, searched, watched, seen);
}

#if defined(TINKER_WIDE_BYTE_SEARCH)
bool processorComparesSixtyFour() {
    static const bool wide = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return wide;
}

// One comparison gives the word of a whole block.
template <bool Either>
__attribute__((target("avx512f,avx512bw"))) size_t collectBySixtyFour(const char* begin, size_t length, char byte,
                                                                       char other, uint32_t* offsets, size_t most,
                                                                       size_t* searched, char watched,
                                                                       BytesSeen* seen) {
    size_t count = 0;
    size_t at = 0;
    const __m512i wanted = _mm512_set1_epi8(byte);
    const __m512i otherWanted = _mm512_set1_epi8(other);
    const __m512i watchedBytes = _mm512_set1_epi8(watched);
    uint64_t zeros = 0;
    uint64_t watches = 0;
    for (; length - at >= 64 && count < most; at += 64) {
        __m512i block = _mm512_loadu_si512(begin + at);
        uint64_t found = _mm512_cmpeq_epi8_mask(block, wanted);
        if (Either) found |= _mm512_cmpeq_epi8_mask(block, otherWanted);
        count = recordPlaces(found, at, offsets, count);
        if (Either) continue;  // the search for either byte watches for nothing
        zeros |= _mm512_testn_epi8_mask(block, block);
        watches |= _mm512_cmpeq_epi8_mask(block, watchedBytes);
    }
    *seen = BytesSeen{zeros != 0, watches != 0};
    *searched = at;
    return collectRest(begin, length, byte, Either ? other : byte, offsets, most, count, searched, watched, seen);
}

bool processorComparesThirtyTwo() {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}

// The same with two comparisons of thirty-two bytes a block, where AVX2 is the widest.
template <bool Either>
__attribute__((target("avx2"))) size_t collectByThirtyTwo(const char* begin, size_t length, char byte, char other,
                                                          uint32_t* offsets, size_t most, size_t* searched,
                                                          char watched, BytesSeen* seen) {
    size_t count = 0;
    size_t at = 0;
    const __m256i wanted = _mm256_set1_epi8(byte);
    const __m256i otherWanted = _mm256_set1_epi8(other);
    const __m256i watchedBytes = _mm256_set1_epi8(watched);
    const __m256i zero = _mm256_setzero_si256();
    __m256i zeros = zero;
    __m256i watches = zero;
    for (; length - at >= 64 && count < most; at += 64) {
        __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + at));
        __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(begin + at + 32));
        __m256i foundLow = _mm256_cmpeq_epi8(low, wanted);
        __m256i foundHigh = _mm256_cmpeq_epi8(high, wanted);
        if (Either) {
            foundLow = _mm256_or_si256(foundLow, _mm256_cmpeq_epi8(low, otherWanted));
            foundHigh = _mm256_or_si256(foundHigh, _mm256_cmpeq_epi8(high, otherWanted));
        }
        uint64_t found = uint64_t(uint32_t(_mm256_movemask_epi8(foundLow))) |
                         uint64_t(uint32_t(_mm256_movemask_epi8(foundHigh))) << 32;
        count = recordPlaces(found, at, offsets, count);
        if (Either) continue;  // the search for either byte watches for nothing
        zeros = _mm256_or_si256(zeros, _mm256_or_si256(_mm256_cmpeq_epi8(low, zero), _mm256_cmpeq_epi8(high, zero)));
        watches = _mm256_or_si256(watches, _mm256_or_si256(_mm256_cmpeq_epi8(low, watchedBytes),
                                                           _mm256_cmpeq_epi8(high, watchedBytes)));
    }
    *seen = BytesSeen{_mm256_movemask_epi8(zeros) != 0, _mm256_movemask_epi8(watches) != 0};
    *searched = at;
    return collectRest(begin, length, byte, Either ? other : byte, offsets, most, count, searched, watched, seen);
}
#endif

// The widest search the processor allows.
template <bool Either>
size_t collectWithWidest(const char* begin, size_t length, char byte, char other, uint32_t* offsets, size_t most,
                         size_t* searched, char watched, BytesSeen* seen) {
#if defined(TINKER_WIDE_BYTE_SEARCH)
    if (wideAllowed && processorComparesSixtyFour()) {
        return collectBySixtyFour<Either>(begin, length, byte, other, offsets, most, searched, watched, seen);
    }
    if (wideAllowed && processorComparesThirtyTwo()) {
        return collectByThirtyTwo<Either>(begin, length, byte, other, offsets, most, searched, watched, seen);
    }
#endif
    return collectBySixteen<Either>(begin, length, byte, other, offsets, most, searched, watched, seen);
}

}  // namespace

void allowWideByteSearch(bool allowed) { wideAllowed = allowed; }

size_t collectByteOffsets(const char* begin, const char* end, char byte, uint32_t* offsets, size_t most,
                          size_t* searched, char watched, BytesSeen* seen) {
    return collectWithWidest<false>(begin, size_t(end - begin), byte, byte, offsets, most, searched, watched, seen);
}

size_t collectEitherByteOffsets(const char* begin, const char* end, char a, char b, uint32_t* offsets, size_t most,
                                size_t* searched) {
    BytesSeen seen;
    return collectWithWidest<true>(begin, size_t(end - begin), a, b, offsets, most, searched, a, &seen);
}
