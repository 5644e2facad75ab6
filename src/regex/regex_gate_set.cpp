#include "regex/regex_gate_set.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "regex/regex.h"
#include "regex/regex_byte_frequency.h"
#include "regex/regex_literal_check.h"

namespace {

// Subjects up to this length are copied into a padded buffer, so that the combined scan reads
// whole blocks past their end; output lines are shorter than this.
const size_t kScanLimit = 1024;
// The furthest a pair reaches into a block: a run is at most 64 bytes long.
const size_t kPadding = 64 + 16;

}  // namespace

int RegexGateSet::add(const Regex& regex) {
    if (!regex.optimizations_ || regex.requiredRuns_.empty()) return -1;
    int32_t runIndex = regex.gateRun_ >= 0 ? regex.gateRun_ : 0;
    const Regex::RequiredRun& run = regex.requiredRuns_[size_t(runIndex)];
    std::string bytes = regex.requiredBytes_.substr(size_t(run.offset), size_t(run.length));
    for (size_t i = 0; i < gates_.size(); ++i) {
        if (gates_[i].bytes == bytes && gates_[i].folded == regex.requiredFolded_) return int(i);
    }
    if (gates_.size() >= size_t(kMaxGates)) return -1;
    gates_.push_back(Gate{bytes, regex.requiredFolded_, run.pair, &regex, runIndex});
    if (run.pair >= 0) pairGates_ |= 1u << (gates_.size() - 1);
    buildPairScans();
    return int(gates_.size()) - 1;
}

void RegexGateSet::buildPairScans() {
    // The scans point into the gates' bytes, which move whenever the gates grow.
    pairScans_.clear();
    shortestPairGate_ = ~0u;
    bool shared[256];
    for (bool& byte : shared) byte = true;
    for (size_t i = 0; i < gates_.size(); ++i) {
        const Gate& gate = gates_[i];
        if (gate.pair < 0) continue;
        PairScan scan;
        scan.bytes = reinterpret_cast<const uint8_t*>(gate.bytes.data());
        scan.length = uint32_t(gate.bytes.size());
        scan.pair = uint32_t(gate.pair);
        scan.bit = 1u << i;
#if defined(__SSE2__)
        scan.first = _mm_set1_epi8(char(scan.bytes[scan.pair]));
        scan.second = _mm_set1_epi8(char(scan.bytes[scan.pair + 1]));
#endif
        pairScans_.push_back(scan);
        if (scan.length < shortestPairGate_) shortestPairGate_ = scan.length;
        bool present[256] = {};
        for (unsigned char byte : gate.bytes) present[byte] = true;
        for (int byte = 0; byte < 256; ++byte) shared[byte] = shared[byte] && present[byte];
    }
    sharedByte_ = -1;
    for (int byte = 0; byte < 256 && !pairScans_.empty(); ++byte) {
        if (shared[byte] && (sharedByte_ < 0 || byteCommonness(uint8_t(byte)) < byteCommonness(uint8_t(sharedByte_)))) {
            sharedByte_ = byte;
        }
    }
}

uint32_t RegexGateSet::passingOneByOne(const uint8_t* begin, const uint8_t* end, uint32_t gates) const {
    uint32_t passed = 0;
    for (uint32_t left = gates; left; left &= left - 1) {
        int index = __builtin_ctz(left);
        const Gate& gate = gates_[size_t(index)];
        if (gate.regex->findRun(gate.regex->requiredRuns_[size_t(gate.run)], begin, end)) passed |= 1u << index;
    }
    return passed;
}

uint32_t RegexGateSet::passingPairScan(const uint8_t* begin, size_t length, uint32_t gates) const {
#if defined(__SSE2__)
    // Sixteen starts at a time for every open gate: where both bytes of its pair stand, the
    // whole gate is compared. Starts whose gate would run past the subject are left out.
    alignas(16) uint8_t padded[kScanLimit + kPadding];
    std::memcpy(padded, begin, length);
    // Only starts inside the subject count; the blocks merely read defined bytes beyond it.
    std::memset(padded + length, 0, kPadding);
    uint32_t passed = 0;
    for (size_t start = 0; start + shortestPairGate_ <= length && gates; start += 16) {
        for (const PairScan& scan : pairScans_) {
            if (!(gates & scan.bit)) continue;
            const uint8_t* at = padded + start + scan.pair;
            unsigned candidates = unsigned(_mm_movemask_epi8(
                _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), scan.first),
                              _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1)), scan.second))));
            for (; candidates; candidates &= candidates - 1) {
                size_t candidate = start + size_t(__builtin_ctz(candidates));
                if (candidate + scan.length > length) break;
                if (std::memcmp(padded + candidate, scan.bytes, scan.length) == 0) {
                    passed |= scan.bit;
                    gates &= ~scan.bit;
                    break;
                }
            }
        }
    }
    return passed;
#else
    return passingOneByOne(begin, begin + length, gates);
#endif
}

uint32_t RegexGateSet::passing(const char* begin, const char* end) const {
    const uint8_t* first = reinterpret_cast<const uint8_t*>(begin);
    const uint8_t* last = reinterpret_cast<const uint8_t*>(end);
    uint32_t all = gates_.size() == 32 ? ~0u : (1u << gates_.size()) - 1;
    uint32_t passed = passingOneByOne(first, last, all & ~pairGates_);
    size_t length = size_t(last - first);
    if (!pairGates_ || (sharedByte_ >= 0 && !std::memchr(first, sharedByte_, length))) return passed;
    if (length <= kScanLimit) return passed | passingPairScan(first, length, pairGates_);
    return passed | passingOneByOne(first, last, pairGates_);
}
