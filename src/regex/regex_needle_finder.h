#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Finds the first of up to twenty-four byte strings in a long text, all in one pass: each
// string is known by four adjacent bytes of it (its window), and table lookups tell for every
// place of the text at once which of eight groups of strings may have a window there (beyond
// eight strings, a group holds several). Only those places are compared in full. Works where the processor has the wide (AVX2) instructions, which look up a byte by its
// nibbles; where it has the widest ones (AVX-512 VBMI), a byte is looked up whole.
class RegexNeedleFinder {
public:
    static const size_t kMaxNeedles = 24;
    static const size_t kGroups = 8;  // one bit of a lookup each
    static const uint32_t kWindow = 4;
    static const size_t kBlock = 64;  // places looked at together

    struct Needle {
        const uint8_t* bytes;  // kept by the caller for as long as the finder is used
        uint32_t length;       // at least 2
    };

    // False when these needles cannot be searched for so (too many, or no wide instructions);
    // then the finder must not be used. Each needle is known by the window that is least
    // common in the sample (of the text to be searched), or by its rarest bytes without one.
    bool prepare(const std::vector<Needle>& needles, const uint8_t* sample, size_t sampleLength);
    bool ready() const { return ready_; }
    // The first start in [begin, end) where a needle stands whole; end when none does.
    const uint8_t* first(const uint8_t* begin, const uint8_t* end) const;
    // The starts from begin on where a needle stands whole, as offsets in order, until at least
    // most are found (starts must have room for most + kMostInBlock); the count. Every start
    // before *complete is among them: the end of the text, unless the search stopped early.
    static const size_t kMostInBlock = kBlock * kMaxNeedles;
    size_t collect(const uint8_t* begin, const uint8_t* end, uint32_t* starts, size_t most, size_t* complete) const;

    // The starts of needles standing whole in a short text that has kPadding readable bytes
    // behind it, in no order, with the number of the needle (as prepared) that stands at each
    // in needles; up to most of them (then there may be more).
    static const size_t kPadding = kBlock + kWindow - 1;
    size_t collectPadded(const uint8_t* text, size_t length, uint32_t* starts, uint8_t* needles, size_t most) const;

    // For tests: whether the wide instructions, and the lookup of whole bytes, may be used where
    // the processor has them.
    static void allowWide(bool allowed);
    static void allowByteLookup(bool allowed);

private:
    struct Known {
        Needle needle;
        uint32_t window;  // the offset of the bytes it is known by
    };
    // For each byte of a window, the lookups by low and by high nibble, each repeated for both
    // halves of a wide register. Bit i stands for the needles i, i + kGroups, ...
    alignas(32) uint8_t low_[kWindow][32] = {};
    alignas(32) uint8_t high_[kWindow][32] = {};
    // The same by the byte's low seven bits.
    alignas(64) uint8_t byteLookup_[kWindow][128] = {};
    // The first block from place on, before stop, where a needle's window may stand (see the
    // kernels); stop when there is none.
    size_t nextCandidates(const uint8_t* text, size_t place, size_t stop, uint8_t* needlesAt, uint64_t* places) const;
    // Writes, from starts[count] on, the start of every needle standing whole whose window may
    // stand at one of the kBlock places from place on (needlesAt holds the needles' bits per
    // place, places the places that have any), and its number in needles when given; the new
    // count.
    size_t recordWhole(const uint8_t* needlesAt, uint64_t places, size_t place, const uint8_t* text, size_t length,
                       uint32_t* starts, uint8_t* needles, size_t count) const;
    Known known_[kMaxNeedles] = {};
    size_t count_ = 0;
    uint32_t furthestWindow_ = 0;
    bool byBytes_ = false;
    bool ready_ = false;
};
