#include "regex/regex_needle_finder.h"

#include <cstring>

// Not on Windows: there GCC cannot align the stack for the wide registers it spills.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__)) && !defined(_WIN32)
#define TINKER_WIDE_NEEDLE_FINDER 1
#include <immintrin.h>

#include "regex/regex_byte_frequency.h"
#endif

namespace {
bool wideAllowed = true;
}  // namespace

void RegexNeedleFinder::allowWide(bool allowed) { wideAllowed = allowed; }

#if !defined(TINKER_WIDE_NEEDLE_FINDER)

bool RegexNeedleFinder::prepare(const std::vector<Needle>&, const uint8_t*, size_t) {
    *this = RegexNeedleFinder();
    return false;
}

const uint8_t* RegexNeedleFinder::first(const uint8_t*, const uint8_t* end) const { return end; }

#else

namespace {

bool processorIsWide() {
    static const bool wide = __builtin_cpu_supports("avx2");
    return wide;
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

}  // namespace

bool RegexNeedleFinder::prepare(const std::vector<Needle>& needles, const uint8_t* sample, size_t sampleLength) {
    *this = RegexNeedleFinder();
    if (!wideAllowed || !processorIsWide() || needles.empty() || needles.size() > kMaxNeedles) return false;
    WindowCounts counts(sample, sampleLength);
    for (const Needle& needle : needles) {
        if (needle.length < 2) return false;
        uint32_t window = chooseWindow(needle, counts);
        uint8_t bit = uint8_t(1u << count_);
        for (uint32_t k = 0; k < kWindow; ++k) {
            for (int lane = 0; lane < 32; lane += 16) {
                if (window + k < needle.length) {
                    uint8_t byte = needle.bytes[window + k];
                    low_[k][lane + (byte & 15)] |= bit;
                    high_[k][lane + (byte >> 4)] |= bit;
                } else {
                    // A needle shorter than the window lets any byte stand behind it.
                    for (int nibble = 0; nibble < 16; ++nibble) {
                        low_[k][lane + nibble] |= bit;
                        high_[k][lane + nibble] |= bit;
                    }
                }
            }
        }
        if (window > furthestWindow_) furthestWindow_ = window;
        known_[count_++] = Known{needle, window};
    }
    ready_ = true;
    return true;
}

__attribute__((target("avx2"))) const uint8_t* RegexNeedleFinder::first(const uint8_t* begin,
                                                                        const uint8_t* end) const {
    if (!ready_) return end;
    WindowTables tables;
    for (uint32_t k = 0; k < kWindow; ++k) {
        tables.low[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(low_[k]));
        tables.high[k] = _mm256_load_si256(reinterpret_cast<const __m256i*>(high_[k]));
    }
    size_t length = size_t(end - begin);
    size_t best = length;  // the first start found so far
    // The places from block on (at place in the text) where a needle's window may stand are
    // compared in full; a start before the best one found so far replaces it.
    auto lookAt = [&](const uint8_t* block, size_t place) __attribute__((target("avx2"))) {
        __m256i windows = windowsAt(block, tables);
        uint32_t places = ~uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(windows, _mm256_setzero_si256())));
        if (!places) return;
        alignas(32) uint8_t needlesAt[32];
        _mm256_store_si256(reinterpret_cast<__m256i*>(needlesAt), windows);
        for (; places; places &= places - 1) {
            size_t at = place + size_t(__builtin_ctz(places));
            for (uint32_t bits = needlesAt[at - place]; bits; bits &= bits - 1) {
                const Known& known = known_[__builtin_ctz(bits)];
                if (at < known.window) continue;
                size_t start = at - known.window;
                if (start < best && start + known.needle.length <= length &&
                    std::memcmp(begin + start, known.needle.bytes, known.needle.length) == 0) {
                    best = start;
                }
            }
        }
    };
    // A window lies up to furthestWindow_ bytes into its needle: places are looked at until none
    // of them can belong to a start before the best one.
    const size_t reach = 32 + kWindow - 1;
    size_t place = 0;
    for (; place + reach <= length; place += 32) {
        if (place > best + furthestWindow_) return begin + best;
        lookAt(begin + place, place);
    }
    // The last places (fewer than reach), from a copy with room behind it for the wide reads.
    alignas(32) uint8_t padded[2 * reach + 32] = {};
    std::memcpy(padded, begin + place, length - place);
    for (size_t copied = 0; place + copied < length && place + copied <= best + furthestWindow_; copied += 32) {
        lookAt(padded + copied, place + copied);
    }
    return begin + best;
}

#endif
