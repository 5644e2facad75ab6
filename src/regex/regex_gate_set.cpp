#include "regex/regex_gate_set.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "foundation/vector_search.h"
#if defined(TINKER_SSE2_SEARCH)
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

#if defined(TINKER_SSE2_SEARCH)
namespace {

// Per start of the sixteen from block on, all ones where the gate's rarest pair of bytes stands.
template <typename Scan>
__m128i pairsAt(const uint8_t* block, const Scan& scan) {
    const uint8_t* at = block + scan.pair;
    return _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), scan.first),
                         _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1)), scan.second));
}

// The same as a bit per start.
template <typename Scan>
unsigned pairCandidates(const uint8_t* block, const Scan& scan) {
    return unsigned(_mm_movemask_epi8(pairsAt(block, scan)));
}

}  // namespace
#endif

RegexGateSet::Gate RegexGateSet::runGate(const Regex& regex, int32_t index) {
    const Regex::RequiredRun& run = regex.requiredRuns_[size_t(index)];
    bool folded = regex.requiredFolded_;
    return Gate{{regex.requiredBytes_.substr(size_t(run.offset), size_t(run.length))}, folded, run.pair, &regex, index,
                !folded && index == regex.leadingRun_};
}

RegexGateSet::Gate RegexGateSet::ownGate(const Regex& regex) {
    Gate gate{{}, false, -1, &regex, -1, false};
    if (!regex.requiredRuns_.empty()) gate = runGate(regex, regex.gateRun_ >= 0 ? regex.gateRun_ : 0);
    size_t runLength = gate.literals.empty() ? 0 : gate.literals[0].size();
    const std::vector<std::string>& alternatives = regex.requiredAlternatives();
    size_t shortestAlternative = alternatives.empty() ? 0 : ~size_t(0);
    for (const std::string& alternative : alternatives) shortestAlternative = std::min(shortestAlternative, alternative.size());
    if (shortestAlternative > runLength) gate = Gate{alternatives, false, 0, &regex, -1, regex.alternativesLead_};
    return gate;
}

int RegexGateSet::add(const Regex& regex) { return regex.optimizations_ ? insert(ownGate(regex)) : -1; }

namespace {

// How often a gate's strings stand in the sample; a leading gate's where a line begins only.
size_t timesFound(const std::vector<std::string>& literals, bool leading, const char* sample, size_t length) {
    std::string_view text(sample, length);
    size_t times = 0;
    for (const std::string& literal : literals) {
        for (size_t at = text.find(literal); at != std::string_view::npos; at = text.find(literal, at + 1)) {
            times += !leading || at == 0 || sample[at - 1] == 0 || sample[at - 1] == '\n';
        }
    }
    return times;
}

}  // namespace

int RegexGateSet::addRarestIn(const Regex& regex, const char* sample, size_t length) {
    if (!regex.optimizations_) return -1;
    Gate best = ownGate(regex);
    if (best.literals.empty() || best.folded || regex.requiredRuns_.size() + !regex.requiredAlternatives().empty() < 2) {
        return insert(best);
    }
    size_t fewest = timesFound(best.literals, best.leading, sample, length);
    std::vector<Gate> others;
    for (int32_t run = 0; run < int32_t(regex.requiredRuns_.size()); ++run) others.push_back(runGate(regex, run));
    if (!regex.requiredAlternatives().empty()) {
        others.push_back(Gate{regex.requiredAlternatives(), false, 0, &regex, -1, regex.alternativesLead_});
    }
    for (Gate& other : others) {
        size_t times = timesFound(other.literals, other.leading, sample, length);
        if (times < fewest && other.pair >= 0) {
            fewest = times;
            best = std::move(other);
        }
    }
    return insert(best);
}

int RegexGateSet::insert(const Gate& gate) {
    if (gate.literals.empty()) return -1;
    int index = 0;
    while (size_t(index) < gates_.size() && !(gates_[size_t(index)].literals == gate.literals &&
                                               gates_[size_t(index)].folded == gate.folded)) {
        ++index;
    }
    if (size_t(index) == gates_.size()) {
        if (gates_.size() >= size_t(kMaxGates)) return -1;
        gates_.push_back(gate);
        if (gate.pair >= 0) pairGates_ |= 1u << index;
        buildPairScans();
    } else if (gates_[size_t(index)].leading && !gate.leading) {
        // Shared with a pattern that may have it anywhere.
        gates_[size_t(index)].leading = false;
        buildPairScans();
    }
    const Regex& regex = *gate.regex;
    for (int byte = 0; byte < 256; ++byte) {
        if (!regex.firstCharsValid() || regex.isFirstChar(uint8_t(byte))) gatesByFirstByte_[byte] |= 1u << index;
    }
    return index;
}

bool RegexGateSet::addGatesOf(const RegexGateSet& other, std::vector<int>* places) {
    std::vector<Gate> added;
    std::vector<int> found;
    for (const Gate& gate : other.gates_) {
        auto same = [&gate](const Gate& kept) { return kept.literals == gate.literals && kept.folded == gate.folded; };
        auto kept = std::find_if(gates_.begin(), gates_.end(), same);
        auto adding = std::find_if(added.begin(), added.end(), same);
        if (kept != gates_.end()) {
            found.push_back(int(kept - gates_.begin()));
        } else if (adding != added.end()) {
            found.push_back(int(gates_.size() + size_t(adding - added.begin())));
            adding->leading = adding->leading && gate.leading;
        } else {
            found.push_back(int(gates_.size() + added.size()));
            added.push_back(gate);
        }
    }
    if (gates_.size() + added.size() > size_t(kMaxGates)) return false;
    for (size_t i = 0; i < found.size(); ++i) {
        if (size_t(found[i]) < gates_.size() && !other.gates_[i].leading) gates_[size_t(found[i])].leading = false;
    }
    for (const Gate& gate : added) {
        gates_.push_back(gate);
        if (gate.pair >= 0) pairGates_ |= 1u << (gates_.size() - 1);
    }
    buildPairScans();
    for (int byte = 0; byte < 256; ++byte) {
        for (size_t i = 0; i < found.size(); ++i) {
            gatesByFirstByte_[byte] |= (other.gatesByFirstByte_[byte] >> i & 1u) << found[i];
        }
    }
    if (places) *places = found;
    return true;
}

void RegexGateSet::buildPairScans() {
    // The scans point into the gates' bytes, which move whenever the gates grow.
    pairScans_.clear();
    shortestPairGate_ = ~0u;
    furthestPair_ = 0;
    leadingGates_ = 0;
    for (size_t i = 0; i < gates_.size(); ++i) leadingGates_ |= uint32_t(gates_[i].leading) << i;
    bool shared[256];
    for (bool& byte : shared) byte = true;
    for (size_t i = 0; i < gates_.size(); ++i) {
        const Gate& gate = gates_[i];
        // A leading gate is compared at each subject's start instead of searched for.
        if (gate.pair < 0 || gate.leading) continue;
        for (const std::string& literal : gate.literals) {
            PairScan scan;
            scan.bytes = reinterpret_cast<const uint8_t*>(literal.data());
            scan.length = uint32_t(literal.size());
            scan.pair = uint32_t(gate.literals.size() == 1 ? gate.pair : rarestPair(literal.data(), int32_t(literal.size())));
            scan.bit = 1u << i;
            scan.held = 0;
#if defined(TINKER_SSE2_SEARCH)
            scan.first = _mm_set1_epi8(char(scan.bytes[scan.pair]));
            scan.second = _mm_set1_epi8(char(scan.bytes[scan.pair + 1]));
#endif
            pairScans_.push_back(scan);
            if (scan.length < shortestPairGate_) shortestPairGate_ = scan.length;
            if (scan.pair > furthestPair_) furthestPair_ = scan.pair;
            bool present[256] = {};
            for (unsigned char byte : literal) present[byte] = true;
            for (int byte = 0; byte < 256; ++byte) shared[byte] = shared[byte] && present[byte];
        }
    }
    // A gate that holds another whole is found through that one when many subjects are searched.
    bulkScans_.clear();
    for (const PairScan& scan : pairScans_) {
        std::string bytes(reinterpret_cast<const char*>(scan.bytes), scan.length);
        bool holdsAnother = false;
        for (const PairScan& other : pairScans_) {
            if (&other != &scan && other.length < scan.length &&
                bytes.find(reinterpret_cast<const char*>(other.bytes), 0, other.length) != std::string::npos) {
                holdsAnother = true;
            }
        }
        if (!holdsAnother) bulkScans_.push_back(scan);
    }
    // Every gate holds one that the bulk search looks for (the shortest it holds does).
    holdersOfBulkScan_.assign(bulkScans_.size(), {});
    std::fill(std::begin(bulkScansByFirstByte_), std::end(bulkScansByFirstByte_), 0u);
    for (size_t needle = 0; needle < bulkScans_.size() && needle < 32; ++needle) {
        bulkScansByFirstByte_[bulkScans_[needle].bytes[0]] |= 1u << needle;
    }
    for (size_t i = 0; i < pairScans_.size(); ++i) {
        PairScan& scan = pairScans_[i];
        std::string bytes(reinterpret_cast<const char*>(scan.bytes), scan.length);
        for (size_t needle = 0; needle < bulkScans_.size(); ++needle) {
            const PairScan& bulk = bulkScans_[needle];
            size_t at = bytes.find(reinterpret_cast<const char*>(bulk.bytes), 0, bulk.length);
            if (at != std::string::npos) {
                scan.held = uint32_t(at);
                holdersOfBulkScan_[needle].push_back(uint32_t(i));
                break;
            }
        }
    }
    fitBulkSearch(nullptr, 0);
    sharedByte_ = -1;
    for (int byte = 0; byte < 256 && !pairScans_.empty(); ++byte) {
        if (shared[byte] && (sharedByte_ < 0 || byteCommonness(uint8_t(byte)) < byteCommonness(uint8_t(sharedByte_)))) {
            sharedByte_ = byte;
        }
    }
}

uint32_t RegexGateSet::leadingAtStart(const uint8_t* begin, size_t length, uint32_t gates) const {
    uint32_t passed = 0;
    for (uint32_t left = gates; left; left &= left - 1) {
        int index = __builtin_ctz(left);
        for (const std::string& literal : gates_[size_t(index)].literals) {
            if (literal.size() <= length && std::memcmp(begin, literal.data(), literal.size()) == 0) passed |= 1u << index;
        }
    }
    return passed;
}

uint32_t RegexGateSet::passingOneByOne(const uint8_t* begin, const uint8_t* end, uint32_t gates) const {
    uint32_t passed = 0;
    for (uint32_t left = gates; left; left &= left - 1) {
        int index = __builtin_ctz(left);
        const Gate& gate = gates_[size_t(index)];
        bool found = false;
        if (gate.run >= 0) {
            found = gate.regex->findRun(gate.regex->requiredRuns_[size_t(gate.run)], begin, end) != nullptr;
        } else {
            // Alternatives are exact byte strings: any one of them will do.
            for (const std::string& literal : gate.literals) {
                found = found || std::search(begin, end, literal.begin(), literal.end()) != end;
            }
        }
        if (found) passed |= 1u << index;
    }
    return passed;
}

uint32_t RegexGateSet::passingPairScan(const uint8_t* begin, size_t length, uint32_t gates) const {
#if defined(TINKER_SSE2_SEARCH)
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
            for (unsigned candidates = pairCandidates(padded + start, scan); candidates; candidates &= candidates - 1) {
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

bool RegexGateSet::passingByBulkSearch(const uint8_t* begin, size_t length, uint32_t gates, uint32_t* passed) const {
    const size_t kMostPlaces = 16;
    alignas(64) uint8_t padded[kScanLimit + RegexNeedleFinder::kPadding];
    std::memcpy(padded, begin, length);
    // The search reads blocks past the subject's end; its bytes there must be defined.
    std::memset(padded + length, 0, RegexNeedleFinder::kPadding);
    uint32_t starts[kMostPlaces + RegexNeedleFinder::kMostInBlock];
    uint8_t needles[kMostPlaces + RegexNeedleFinder::kMostInBlock];
    size_t count = bulkFinder_.collectPadded(padded, length, starts, needles, kMostPlaces);
    if (count >= kMostPlaces) return false;
    *passed = 0;
    for (size_t i = 0; i < count && gates; ++i) {
        uint32_t found = passingWhereFound(padded, length, starts[i], needles[i], gates);
        *passed |= found;
        gates &= ~found;
    }
    return true;
}

uint32_t RegexGateSet::passingWhereFound(const uint8_t* begin, size_t length, size_t start, size_t needle,
                                         uint32_t gates) const {
    uint32_t passed = 0;
    const PairScan& found = bulkScans_[needle];
    for (uint32_t holder : holdersOfBulkScan_[needle]) {
        const PairScan& scan = pairScans_[holder];
        if (!(gates & scan.bit) || start < scan.held) continue;
        size_t at = start - scan.held;
        // The scan found is itself whole there; a gate holding it is compared.
        if (scan.bytes == found.bytes || (at + scan.length <= length && begin[at] == scan.bytes[0] &&
                                          std::memcmp(begin + at, scan.bytes, scan.length) == 0)) {
            passed |= scan.bit;
        }
    }
    return passed;
}

uint32_t RegexGateSet::passingAt(const char* begin, const char* end, const uint32_t* places, size_t count) const {
    if (begin == end) return 0;
    const uint8_t* first = reinterpret_cast<const uint8_t*>(begin);
    size_t length = size_t(end - begin);
    uint32_t gates = gatesByFirstByte_[*first];
    uint32_t passed = 0;
    if (uint32_t leading = gates & leadingGates_) {
        passed = leadingAtStart(first, length, leading);
        gates &= ~leading;
    }
    for (size_t i = 0; i < count && gates; ++i) {
        size_t start = places[i];
        // Which scans stand there: few share a first byte.
        for (uint32_t left = bulkScansByFirstByte_[first[start]]; left; left &= left - 1) {
            size_t needle = size_t(__builtin_ctz(left));
            const PairScan& bulk = bulkScans_[needle];
            if (start + bulk.length > length || std::memcmp(first + start, bulk.bytes, bulk.length) != 0) continue;
            uint32_t found = passingWhereFound(first, length, start, needle, gates);
            passed |= found;
            gates &= ~found;
        }
    }
    return passed;
}

uint32_t RegexGateSet::passing(const char* begin, const char* end) const {
    if (begin == end) return 0;
    const uint8_t* first = reinterpret_cast<const uint8_t*>(begin);
    const uint8_t* last = reinterpret_cast<const uint8_t*>(end);
    size_t length = size_t(last - first);
    uint32_t wanted = gatesByFirstByte_[*first];
    // A leading gate is compared where the subject begins, not searched for.
    uint32_t passed = 0;
    if (uint32_t leading = wanted & leadingGates_) {
        passed = leadingAtStart(first, length, leading);
        wanted &= ~leading;
    }
    passed |= passingOneByOne(first, last, wanted & ~pairGates_);
    uint32_t pairs = wanted & pairGates_;
    if (!pairs || (sharedByte_ >= 0 && !std::memchr(first, sharedByte_, length))) return passed;
    uint32_t pairsPassed = 0;
    // The search for all gates at once pays where many are wanted; a few are scanned for alone.
    uint32_t beyondTwo = pairs & (pairs - 1);
    beyondTwo &= beyondTwo - 1;
    bool many = beyondTwo != 0;
    if (many && bulkFinder_.ready() && length <= kScanLimit && passingByBulkSearch(first, length, pairs, &pairsPassed)) {
        return passed | pairsPassed;
    }
    if (length <= kScanLimit) return passed | passingPairScan(first, length, pairs);
    return passed | passingOneByOne(first, last, pairs);
}

size_t RegexGateSet::firstPairGateInBlock(const uint8_t* text, size_t from, size_t length) const {
#if defined(TINKER_SSE2_SEARCH)
    // Where any gate's pair stands, in two blocks of sixteen starts; each place is then compared
    // with every gate.
    __m128i low = _mm_setzero_si128();
    __m128i high = _mm_setzero_si128();
    for (const PairScan& scan : bulkScans_) {
        low = _mm_or_si128(low, pairsAt(text + from, scan));
        high = _mm_or_si128(high, pairsAt(text + from + 16, scan));
    }
    uint32_t candidates = uint32_t(_mm_movemask_epi8(low)) | uint32_t(_mm_movemask_epi8(high)) << 16;
    for (; candidates; candidates &= candidates - 1) {
        size_t candidate = from + size_t(__builtin_ctz(candidates));
        for (const PairScan& scan : bulkScans_) {
            if (candidate + scan.length <= length && std::memcmp(text + candidate, scan.bytes, scan.length) == 0) {
                return candidate;
            }
        }
    }
#else
    (void)text;
    (void)from;
#endif
    return length;
}

void RegexGateSet::fitBulkSearch(const char* sample, size_t length) {
    std::vector<RegexNeedleFinder::Needle> needles;
    for (const PairScan& scan : bulkScans_) needles.push_back(RegexNeedleFinder::Needle{scan.bytes, scan.length});
    bulkFinder_.prepare(needles, reinterpret_cast<const uint8_t*>(sample), length);
}

const char* RegexGateSet::firstGate(const char* begin, const char* end) const {
    if (searchedGates() == 0) return end;
#if defined(TINKER_SSE2_SEARCH)
    if ((pairGates_ & searchedGates()) != searchedGates()) return begin;
    const uint8_t* text = reinterpret_cast<const uint8_t*>(begin);
    if (bulkFinder_.ready()) {
        return reinterpret_cast<const char*>(bulkFinder_.first(text, reinterpret_cast<const uint8_t*>(end)));
    }
    size_t length = size_t(end - begin);
    size_t reach = furthestPair_ + 33;
    size_t start = 0;
    for (; start + reach <= length; start += 32) {
        size_t found = firstPairGateInBlock(text, start, length);
        if (found < length) return begin + found;
    }
    // The last starts, from a copy with room behind it for the blocks to read.
    alignas(16) uint8_t padded[2 * kPadding + 64];
    size_t tail = length - start;
    std::memcpy(padded, text + start, tail);
    std::memset(padded + tail, 0, sizeof padded - tail);
    for (size_t from = 0; from + shortestPairGate_ <= tail; from += 32) {
        size_t found = firstPairGateInBlock(padded, from, tail);
        if (found < tail) return begin + start + found;
    }
    return end;
#else
    return begin;
#endif
}

size_t RegexGateSet::gatesFrom(const char* begin, const char* end, uint32_t* places, size_t most,
                               size_t* complete) const {
    if (searchedGates() == 0) {
        *complete = size_t(end - begin);
        return 0;
    }
    if (findsEveryPlace()) {
        return bulkFinder_.collect(reinterpret_cast<const uint8_t*>(begin), reinterpret_cast<const uint8_t*>(end),
                                   places, most, complete);
    }
    // One place at a time: every gate standing whole ends after the first one found.
    const char* gate = firstGate(begin, end);
    if (gate == end) {
        *complete = size_t(end - begin);
        return 0;
    }
    places[0] = uint32_t(gate - begin);
    *complete = places[0] + size_t(1);
    return 1;
}
