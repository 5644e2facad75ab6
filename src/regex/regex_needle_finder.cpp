#include "regex/regex_needle_finder.h"

#include <algorithm>
#include <cstring>

// Not on Windows: there GCC cannot align the stack for the wide registers it spills.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32) && !defined(TINKER_PORTABLE_SEARCH)
#define TINKER_WIDE_NEEDLE_FINDER 1
#include <immintrin.h>

#include "regex/regex_byte_frequency.h"
#endif

namespace {
bool wideAllowed = true;
bool byteLookupAllowed = true;
}  // namespace

void RegexNeedleFinder::allowWide(bool allowed) { wideAllowed = allowed; }
void RegexNeedleFinder::allowByteLookup(bool allowed) { byteLookupAllowed = allowed; }

#if !defined(TINKER_WIDE_NEEDLE_FINDER)

bool RegexNeedleFinder::prepare(const std::vector<Needle>&, const uint8_t*, size_t) {
    *this = RegexNeedleFinder();
    return false;
}

size_t RegexNeedleFinder::collect(const uint8_t* begin, const uint8_t* end, uint32_t*, size_t, size_t* complete) const {
    *complete = size_t(end - begin);
    return 0;
}

size_t RegexNeedleFinder::collectPadded(const uint8_t*, size_t, uint32_t*, uint8_t*, size_t) const { return 0; }

#else

namespace {

bool processorIsWide() {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
}

bool processorLooksUpBytes() {
    static const bool looksUp = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                __builtin_cpu_supports("avx512vbmi");
    return looksUp;
}

// Counts of the sample's windows of four bytes, by a hash of them.
class WindowCounts {
public:
    WindowCounts(const uint8_t* sample, size_t length) {
        for (size_t i = 0; i + RegexNeedleFinder::kWindow <= length; ++i) {
            uint16_t& count = counts_[slot(sample + i)];
            if (count < UINT16_MAX) ++count;
        }
    }
    int of(const uint8_t* window) const { return counts_[slot(window)]; }

private:
    static uint32_t slot(const uint8_t* window) {
        uint32_t bytes;
        std::memcpy(&bytes, window, sizeof bytes);
        return (bytes * 2654435761u) >> 20;
    }
    uint16_t counts_[4096] = {};
};

// The offset of the four bytes of the needle that are least common in the sample, the rarer
// bytes deciding between equals.
uint32_t chooseWindow(const RegexNeedleFinder::Needle& needle, const WindowCounts& counts) {
    uint32_t best = 0;
    long bestScore = 0;
    for (uint32_t offset = 0; offset + RegexNeedleFinder::kWindow <= needle.length; ++offset) {
        int rarity = 0;
        for (uint32_t k = 0; k < RegexNeedleFinder::kWindow; ++k) rarity += byteCommonness(needle.bytes[offset + k]);
        long score = long(counts.of(needle.bytes + offset)) * 1024 + rarity;
        if (offset == 0 || score < bestScore) {
            best = offset;
            bestScore = score;
        }
    }
    return best;
}

struct WindowTables {
    __m256i low[RegexNeedleFinder::kWindow];
    __m256i high[RegexNeedleFinder::kWindow];
};

// Per place of the 32 from block on, the needles whose window may stand there.
__attribute__((target("avx2"), always_inline)) inline __m256i windowsAt(const uint8_t* block,
                                                                         const WindowTables& tables) {
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    __m256i found = _mm256_set1_epi8(-1);
#pragma GCC unroll 4
    for (uint32_t k = 0; k < RegexNeedleFinder::kWindow; ++k) {
        __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(block + k));
        __m256i byLow = _mm256_shuffle_epi8(tables.low[k], _mm256_and_si256(bytes, nibble));
        __m256i byHigh = _mm256_shuffle_epi8(tables.high[k], _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble));
        found = _mm256_and_si256(found, _mm256_and_si256(byLow, byHigh));
    }
    return found;
}

// The first block of kBlock places from place on, before stop, where a needle's window may
// stand, with the needles' bits per place in found and the places that have any in *places;
// stop when there is none. Loops of their own without calls, so that the lookup tables stay in
// registers.
__attribute__((target("avx2"), noinline)) size_t nextCandidateBlock(const uint8_t* text, size_t place, size_t stop,
                                                                    const uint8_t (*low)[32], const uint8_t (*high)[32],
                                                                    uint8_t* found, uint64_t* places) {
    WindowTables tables;
    for (uint32_t k = 0; k < RegexNeedleFinder::kWindow; ++k) {
        tables.low[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(low[k]));
        tables.high[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(high[k]));
    }
    const __m256i none = _mm256_setzero_si256();
    for (; place < stop; place += RegexNeedleFinder::kBlock) {
        __m256i first = windowsAt(text + place, tables);
        __m256i second = windowsAt(text + place + 32, tables);
        uint64_t empty = uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(first, none))) |
                         uint64_t(uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(second, none)))) << 32;
        if (empty != ~uint64_t(0)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(found), first);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(found + 32), second);
            *places = ~empty;
            return place;
        }
    }
    return stop;
}

// The same with one lookup per byte in tables of 128 entries (a byte's top bit is ignored), on
// processors that look up bytes in a table of two registers: under half the work per place.
__attribute__((target("avx512f,avx512bw,avx512vbmi"), noinline)) size_t nextCandidateBlockByBytes(
    const uint8_t* text, size_t place, size_t stop, const uint8_t (*lookup)[128], uint8_t* found, uint64_t* places) {
    __m512i lower[RegexNeedleFinder::kWindow];
    __m512i upper[RegexNeedleFinder::kWindow];
    for (uint32_t k = 0; k < RegexNeedleFinder::kWindow; ++k) {
        lower[k] = _mm512_loadu_si512(lookup[k]);
        upper[k] = _mm512_loadu_si512(lookup[k] + 64);
    }
    for (; place < stop; place += RegexNeedleFinder::kBlock) {
        __m512i windows = _mm512_permutex2var_epi8(lower[0], _mm512_loadu_si512(text + place), upper[0]);
#pragma GCC unroll 4
        for (uint32_t k = 1; k < RegexNeedleFinder::kWindow; ++k) {
            windows = _mm512_and_si512(
                windows, _mm512_permutex2var_epi8(lower[k], _mm512_loadu_si512(text + place + k), upper[k]));
        }
        uint64_t any = _mm512_test_epi8_mask(windows, windows);
        if (any) {
            _mm512_storeu_si512(found, windows);
            *places = any;
            return place;
        }
    }
    return stop;
}

}  // namespace

bool RegexNeedleFinder::prepare(const std::vector<Needle>& needles, const uint8_t* sample, size_t sampleLength) {
    *this = RegexNeedleFinder();
    if (!wideAllowed || !processorIsWide() || needles.empty() || needles.size() > kMaxNeedles) return false;
    WindowCounts counts(sample, sampleLength);
    for (const Needle& needle : needles) {
        if (needle.length < 2) return false;
        uint32_t window = chooseWindow(needle, counts);
        uint8_t bit = uint8_t(1u << count_ % kGroups);
        for (uint32_t k = 0; k < kWindow; ++k) {
            if (window + k < needle.length) {
                uint8_t byte = needle.bytes[window + k];
                for (int lane = 0; lane < 32; lane += 16) {
                    low_[k][lane + (byte & 15)] |= bit;
                    high_[k][lane + (byte >> 4)] |= bit;
                }
                byteLookup_[k][byte & 127] |= bit;
            } else {
                // A needle shorter than the window lets any byte stand behind it.
                for (uint8_t& entry : low_[k]) entry |= bit;
                for (uint8_t& entry : high_[k]) entry |= bit;
                for (uint8_t& entry : byteLookup_[k]) entry |= bit;
            }
        }
        if (window > furthestWindow_) furthestWindow_ = window;
        known_[count_++] = Known{needle, window};
    }
    byBytes_ = byteLookupAllowed && processorLooksUpBytes();
    ready_ = true;
    return true;
}

size_t RegexNeedleFinder::nextCandidates(const uint8_t* text, size_t place, size_t stop, uint8_t* needlesAt,
                                         uint64_t* places) const {
    if (byBytes_) return nextCandidateBlockByBytes(text, place, stop, byteLookup_, needlesAt, places);
    return nextCandidateBlock(text, place, stop, low_, high_, needlesAt, places);
}

size_t RegexNeedleFinder::recordWhole(const uint8_t* needlesAt, uint64_t places, size_t place, const uint8_t* text,
                                      size_t length, uint32_t* starts, uint8_t* needles, size_t count) const {
    for (; places; places &= places - 1) {
        size_t offset = size_t(__builtin_ctzll(places));
        size_t at = place + offset;
        for (uint32_t bits = needlesAt[offset]; bits; bits &= bits - 1) {
            for (size_t index = size_t(__builtin_ctz(bits)); index < count_; index += kGroups) {
                const Known& known = known_[index];
                if (at < known.window) continue;
                size_t start = at - known.window;
                const uint32_t last = known.needle.length - 1;
                // Most places the lookups let through differ at one end already.
                if (start + known.needle.length <= length && text[start] == known.needle.bytes[0] &&
                    text[start + last] == known.needle.bytes[last] &&
                    std::memcmp(text + start, known.needle.bytes, known.needle.length) == 0) {
                    if (needles) needles[count] = uint8_t(index);
                    starts[count++] = uint32_t(start);
                }
            }
        }
    }
    return count;
}

size_t RegexNeedleFinder::collectPadded(const uint8_t* text, size_t length, uint32_t* starts, uint8_t* needles,
                                        size_t most) const {
    alignas(64) uint8_t needlesAt[kBlock];
    uint64_t places = 0;
    size_t count = 0;
    for (size_t place = 0; place < length && count < most; place += kBlock) {
        place = nextCandidates(text, place, length, needlesAt, &places);
        if (place >= length) break;
        count = recordWhole(needlesAt, places, place, text, length, starts, needles, count);
    }
    return count;
}

size_t RegexNeedleFinder::collect(const uint8_t* begin, const uint8_t* end, uint32_t* starts, size_t most,
                                  size_t* complete) const {
    size_t length = size_t(end - begin);
    size_t count = 0;
    const size_t reach = kBlock + kWindow - 1;
    const size_t wholeBlocks = length >= reach ? (length - reach) / kBlock * kBlock + kBlock : 0;
    alignas(64) uint8_t needlesAt[kBlock];
    uint64_t places = 0;
    size_t place = 0;
    *complete = length;
    while (place < wholeBlocks) {
        place = nextCandidates(begin, place, wholeBlocks, needlesAt, &places);
        if (place >= wholeBlocks) break;
        count = recordWhole(needlesAt, places, place, begin, length, starts, nullptr, count);
        place += kBlock;
        if (count >= most) {
            // A start is seen at most furthestWindow_ places before its window.
            *complete = place > furthestWindow_ ? place - furthestWindow_ : 0;
            break;
        }
    }
    if (*complete == length && place < length) {
        // The last places (fewer than reach), from a copy with room behind it for the wide reads.
        uint8_t padded[2 * reach + kBlock] = {};
        std::memcpy(padded, begin + place, length - place);
        for (size_t copied = 0; place + copied < length; copied += kBlock) {
            if (count >= most) {
                *complete = place + copied > furthestWindow_ ? place + copied - furthestWindow_ : 0;
                break;
            }
            if (nextCandidates(padded, copied, copied + 1, needlesAt, &places) == copied) {
                count = recordWhole(needlesAt, places, place + copied, begin, length, starts, nullptr, count);
            }
        }
    }
    // Starts come in the order of their windows: they are put in order, once each, and those
    // the search is not sure of are left out.
    std::sort(starts, starts + count);
    count = size_t(std::unique(starts, starts + count) - starts);
    while (count > 0 && starts[count - 1] >= *complete) --count;
    return count;
}

#endif

const uint8_t* RegexNeedleFinder::first(const uint8_t* begin, const uint8_t* end) const {
    if (!ready_) return end;
    // The first start collected is the first of all, as every start before where the search is
    // sure is among those collected; without one, the search goes on from there.
    uint32_t starts[1 + kMostInBlock];
    for (const uint8_t* from = begin;;) {
        size_t complete = 0;
        if (collect(from, end, starts, 1, &complete) > 0) return from + starts[0];
        from += complete;
        if (from == end) return end;
    }
}
