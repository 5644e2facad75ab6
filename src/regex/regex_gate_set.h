#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/vector_search.h"
#if defined(TINKER_SSE2_SEARCH)
#include <emmintrin.h>
#endif

#include "regex/regex_needle_finder.h"

class Regex;

// The gates of several patterns that are tried on the same subjects: for each pattern the
// literal that every match contains and most subjects lack. One scan of a subject tells which
// gates it passes, so that a pattern whose gate is missing is ruled out without running it;
// patterns with the same gate share it.
class RegexGateSet {
public:
    static const int kMaxGates = 32;

    // The index of the regex's gate in the set (an equal one is shared), or -1 when it has
    // none, its shortcuts are off, or the set is full. The gate is its most telling required
    // literal, or its required alternatives when each of them is longer.
    int add(const Regex& regex);
    // The same with, as the regex's gate, the one of its required literals (or its required
    // alternatives) found least often in a sample of the text to be searched: for a search of
    // text that the regex is expected not to match.
    int addRarestIn(const Regex& regex, const char* sample, size_t length);
    // Adds the gates of another set (an equal one is shared), so that one search looks for the
    // gates of both; false, with none added, when they do not all fit. With places, tells where
    // each of the other's gates stands in this set.
    bool addGatesOf(const RegexGateSet& other, std::vector<int>* places = nullptr);
    // Bit i is set when the subject contains gate i (begins with it, for a leading gate) and
    // begins with a byte that a pattern with that gate may begin with (a subject that does not
    // is not searched for it).
    uint32_t passing(const char* begin, const char* end) const;
    // A place in [begin, end) where a gate stands whole and that every gate standing whole in
    // the stretch ends after (a gate holding another is found by the one it holds), end when
    // no gate stands there: a stretch of many subjects is searched at once. begin when a gate
    // cannot be searched so (a case-folded or one-byte gate), as every place might hold one.
    // Leading gates are not searched for (see passingAtStart).
    const char* firstGate(const char* begin, const char* end) const;
    // Places from begin on, as offsets in order, for a search of many subjects that goes on
    // past the first gate: every gate standing whole in [begin, end) that starts before
    // *complete has one of them inside it (a place where it, or a gate it holds, starts).
    // Written to places, which must have room for most + RegexNeedleFinder::kMostInBlock; the
    // count.
    size_t gatesFrom(const char* begin, const char* end, uint32_t* places, size_t most, size_t* complete) const;
    // Whether gatesFrom finds every place where a gate stands (not only the first).
    bool findsEveryPlace() const {
        return !gates_.empty() && (pairGates_ & searchedGates()) == searchedGates() &&
               (searchedGates() == 0 || bulkFinder_.ready());
    }
    // The leading gates that the subject begins with: the gates that every pattern with them
    // begins with, which are compared where a subject begins and never searched for, so that a
    // search of many subjects looks at each one's start too. 0 at once in a set without them.
    uint32_t passingAtStart(const char* begin, const char* end) const {
        if (!leadingGates_ || begin == end) return 0;
        const uint8_t* first = reinterpret_cast<const uint8_t*>(begin);
        uint32_t gates = gatesByFirstByte_[*first] & leadingGates_;
        return gates ? leadingAtStart(first, size_t(end - begin), gates) : 0;
    }
    // What passing tells of a subject, given every place in it that gatesFrom finds (offsets
    // from its start, in order), when findsEveryPlace: no search of the subject is needed.
    uint32_t passingAt(const char* begin, const char* end, const uint32_t* places, size_t count) const;
    // Lets firstGate know each gate by the bytes of it that are rarest in a sample of the text
    // it will search; without a sample, by the bytes that are rare in compiler output.
    void fitBulkSearch(const char* sample, size_t length);

private:
    // Any of its byte strings lets a subject pass: one required run of the pattern, or the
    // leading literals of the branches of a required group.
    struct Gate {
        std::vector<std::string> literals;
        bool folded;
        int32_t pair;  // of a one-string gate: the rarest two adjacent bytes, -1 when it cannot be scanned for them
        const Regex* regex;  // for one-string gates searched one by one
        int32_t run;         // the required run of the regex; -1 for alternatives
        // Every pattern with this gate begins with it: it counts only at a subject's start.
        bool leading;
    };
    // The gate of the regex's required run of that index.
    static Gate runGate(const Regex& regex, int32_t index);
    // The gate add gives the regex: see there.
    static Gate ownGate(const Regex& regex);
    // Adds the gate, or shares an equal one; its index, -1 when the set is full or it has no
    // string.
    int insert(const Gate& gate);
    void buildPairScans();
    // The bits of all gates in the set.
    uint32_t allGates() const { return gates_.size() == 32 ? ~0u : (1u << gates_.size()) - 1; }
    // Those a search looks for: all but the leading ones.
    uint32_t searchedGates() const { return allGates() & ~leadingGates_; }
    // The leading gates among those given that begin the subject.
    uint32_t leadingAtStart(const uint8_t* begin, size_t length, uint32_t gates) const;
    // The gates among those given that stand somewhere in the subject, one search each.
    uint32_t passingOneByOne(const uint8_t* begin, const uint8_t* end, uint32_t gates) const;
    // The same for the pair gates, all in one scan of a copy of a short subject.
    uint32_t passingPairScan(const uint8_t* begin, size_t length, uint32_t gates) const;
    // The same for a short subject from where the bulk search finds the gates that hold no
    // other: each pair gate is compared only where one it holds starts. False when the subject
    // has too many such places.
    bool passingByBulkSearch(const uint8_t* begin, size_t length, uint32_t gates, uint32_t* passed) const;
    // The gates among those given that stand whole in [begin, begin + length) by one that
    // holds, the scan of bulkScans_ found at offset start.
    uint32_t passingWhereFound(const uint8_t* begin, size_t length, size_t start, size_t needle, uint32_t gates) const;
    // The first start at or after from, among thirty-two, where a pair gate stands whole within
    // length bytes of text; length when there is none. Reads up to the furthest pair offset
    // plus thirty-three bytes past from.
    size_t firstPairGateInBlock(const uint8_t* text, size_t from, size_t length) const;

    // A gate as the combined scan looks for it: its pair of bytes spread over a whole block.
    struct PairScan {
#if defined(TINKER_SSE2_SEARCH)
        __m128i first;
        __m128i second;
#endif
        const uint8_t* bytes;
        uint32_t length;
        uint32_t pair;
        uint32_t bit;
        uint32_t held;  // where a gate of bulkScans_ stands in it (0 for those themselves)
    };

    std::vector<Gate> gates_;
    std::vector<PairScan> pairScans_;  // rebuilt whenever a pair gate is added
    std::vector<PairScan> bulkScans_;  // those that hold no other whole, for firstGate
    RegexNeedleFinder bulkFinder_;       // the same, all at once where the processor allows
    // Per scan of bulkScans_, the pair scans that hold it: where it is found, they may stand.
    std::vector<std::vector<uint32_t>> holdersOfBulkScan_;
    // Per byte, the scans of bulkScans_ that begin with it (bit i for scan i).
    uint32_t bulkScansByFirstByte_[256] = {};
    uint32_t pairGates_ = 0;  // the gates found by the combined scan
    uint32_t leadingGates_ = 0;  // the gates that every pattern with them begins with
    // Per first byte of a subject, the gates of the patterns that may begin with it.
    uint32_t gatesByFirstByte_[256] = {};
    uint32_t shortestPairGate_ = ~0u;
    uint32_t furthestPair_ = 0;  // the largest pair offset of a pair gate
    // A byte that every pair gate contains, -1 when they share none: a subject without it
    // passes none of them, which one memchr tells.
    int sharedByte_ = -1;
};
