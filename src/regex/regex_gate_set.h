#pragma once

#include <cstdint>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

class Regex;

// The gates of several patterns that are tried on the same subjects: for each pattern the
// literal that every match contains and most subjects lack. One scan of a subject tells which
// gates it passes, so that a pattern whose gate is missing is ruled out without running it;
// patterns with the same gate share it.
class RegexGateSet {
public:
    static const int kMaxGates = 32;

    // The index of the regex's gate in the set (an equal one is shared), or -1 when it has
    // none, its shortcuts are off, or the set is full.
    int add(const Regex& regex);
    // Bit i is set when the subject contains gate i.
    uint32_t passing(const char* begin, const char* end) const;

private:
    struct Gate {
        std::string bytes;
        bool folded;
        int32_t pair;  // the rarest two adjacent bytes, -1 when the gate cannot be scanned for them
        const Regex* regex;  // for gates searched one by one
        int32_t run;
    };
    void buildPairScans();
    // The gates among those given that stand somewhere in the subject, one search each.
    uint32_t passingOneByOne(const uint8_t* begin, const uint8_t* end, uint32_t gates) const;
    // The same for the pair gates, all in one scan of a copy of a short subject.
    uint32_t passingPairScan(const uint8_t* begin, size_t length, uint32_t gates) const;

    // A gate as the combined scan looks for it: its pair of bytes spread over a whole block.
    struct PairScan {
#if defined(__SSE2__)
        __m128i first;
        __m128i second;
#endif
        const uint8_t* bytes;
        uint32_t length;
        uint32_t pair;
        uint32_t bit;
    };

    std::vector<Gate> gates_;
    std::vector<PairScan> pairScans_;  // rebuilt whenever a pair gate is added
    uint32_t pairGates_ = 0;  // the gates found by the combined scan
    uint32_t shortestPairGate_ = ~0u;
    // A byte that every pair gate contains, -1 when they share none: a subject without it
    // passes none of them, which one memchr tells.
    int sharedByte_ = -1;
};
