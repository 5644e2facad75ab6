// Compiles an arbitrary pattern with arbitrary flags and matches it against an arbitrary
// subject. The input is: one byte of flags, one byte for the number of capture spans offered,
// the pattern up to the first zero byte, and the subject (zero bytes included) after it.
//
// Beyond not crashing, a run checks what callers rely on: the shortcuts never change a result
// (a second copy compiled with them switched off must agree), a used object compiles as a
// fresh one does, a compile that fails says why and where, and every span written lies inside
// the subject. A gate made from the pattern never rules out a subject it matches, whether the
// subject is scanned alone or as a stretch of text.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "regex/regex.h"
#include "regex/regex_gate_set.h"

namespace {

const uint32_t kAllFlags = RegexIgnoreCase | RegexDotAll | RegexMultiLine | RegexExtended | RegexDelimited |
                           RegexFirstChars | RegexStrictEscapes;
// The comparison of the two copies runs on a smaller budget than the product's, so that a
// pattern that backtracks without end costs the fuzzer one full budget, not three.
const uint32_t kComparisonStepLimit = 200000;
// More spans than groups are offered at times, to check that only the groups are written.
const int kMostSpansOffered = 12;

struct MatchOutcome {
    int matched = 0;
    int error = ErrNone;
    int count = 0;
    std::vector<CaptureSpan> spans;

    bool ranOutOfSteps() const { return error == ErrMatchLimit; }
    bool sameAs(const MatchOutcome& other) const {
        if (matched != other.matched || count != other.count) return false;
        if (!matched) return true;  // the spans of a failed match mean nothing
        for (int i = 0; i < count; ++i) {
            if (spans[i].start != other.spans[i].start || spans[i].end != other.spans[i].end) return false;
        }
        return true;
    }
};

// The text up to its first zero byte, in a buffer that ends with that zero byte, so that
// reading past the terminator is caught.
std::unique_ptr<char[]> exactText(const std::string& text) {
    const size_t length = std::strlen(text.c_str());
    std::unique_ptr<char[]> copy(new char[length + 1]);
    std::memcpy(copy.get(), text.c_str(), length + 1);
    return copy;
}

// The subject in a buffer of exactly its size, so that reading one byte past it is caught.
MatchOutcome matchRange(Regex& regex, const std::string& subject, int offered) {
    std::unique_ptr<char[]> bytes(new char[subject.size()]);
    std::memcpy(bytes.get(), subject.data(), subject.size());
    MatchOutcome outcome;
    outcome.spans.assign(static_cast<size_t>(offered), CaptureSpan{-7, -7});
    outcome.count = offered;
    outcome.matched = regex.matchRange(bytes.get(), bytes.get() + subject.size(), outcome.spans.data(), outcome.count);
    outcome.error = regex.errorCode();
    return outcome;
}

// The subject up to its first zero byte, as the classifier hands over a line.
MatchOutcome matchText(Regex& regex, const std::string& subject, int offered) {
    std::unique_ptr<char[]> text = exactText(subject);
    MatchOutcome outcome;
    outcome.spans.assign(static_cast<size_t>(offered), CaptureSpan{-7, -7});
    outcome.count = offered;
    outcome.matched = regex.match(text.get(), outcome.spans.data(), outcome.count);
    outcome.error = regex.errorCode();
    return outcome;
}

void checkOutcome(const Regex& regex, const MatchOutcome& outcome, size_t length, int offered) {
    FUZZ_CHECK(outcome.matched == 0 || outcome.matched == 1, "match answered %d", outcome.matched);
    FUZZ_CHECK(outcome.count >= 0 && outcome.count <= offered, "%d spans written of %d offered", outcome.count,
               offered);
    if (outcome.error == ErrCaptureCapacity) {
        FUZZ_CHECK(!outcome.matched && offered <= regex.maxBackReference(), "capacity refused with %d spans", offered);
        return;
    }
    FUZZ_CHECK(outcome.error == ErrNone || outcome.error == ErrMatchLimit, "match left error %d", outcome.error);
    if (!outcome.matched) return;
    FUZZ_CHECK(outcome.count == (offered < regex.groupCount() ? offered : regex.groupCount()),
               "%d spans written for %d groups and %d offered", outcome.count, regex.groupCount(), offered);
    const int32_t end = static_cast<int32_t>(length);
    for (int i = 0; i < outcome.count; ++i) {
        const CaptureSpan& span = outcome.spans[static_cast<size_t>(i)];
        bool unused = span.start == -1 && span.end == -1;
        bool inside = span.start >= 0 && span.start <= span.end && span.end <= end;
        FUZZ_CHECK(unused || inside, "span %d is (%d, %d) in a subject of %d bytes", i, span.start, span.end, end);
    }
    if (outcome.count > 0) {
        FUZZ_CHECK(outcome.spans[0].start == 0, "a match that does not start at the subject's first byte");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const uint32_t flags = input.takeByte() & kAllFlags;
    const int offered = input.takeByte() % (kMostSpansOffered + 1);
    const std::string pattern = input.takeUntil(0);
    const std::string subject = input.takeRest();

    // The first compile of another text makes the second one start from a used object.
    Regex optimized;
    optimized.compile(exactText(subject).get(), flags);
    int compiled = optimized.compile(exactText(pattern).get(), flags);
    Regex plain;
    plain.setOptimizations(false);
    FUZZ_CHECK(plain.compile(exactText(pattern).get(), flags) == compiled, "a used object compiled differently");
    FUZZ_CHECK(plain.errorCode() == optimized.errorCode() && plain.errorPos() == optimized.errorPos(),
               "a used object failed differently: %d at %d, %d at %d", optimized.errorCode(), optimized.errorPos(),
               plain.errorCode(), plain.errorPos());
    if (!compiled) {
        int error = optimized.errorCode();
        FUZZ_CHECK(error >= ErrSyntax && error <= ErrCaptureCapacity, "a failed compile with error %d", error);
        int position = optimized.errorPos();
        FUZZ_CHECK(position >= 0 && static_cast<size_t>(position) <= pattern.size(), "error position %d of %zu",
                   position, pattern.size());
        return 0;
    }
    FUZZ_CHECK(optimized.groupCount() >= 1 && optimized.groupCount() == plain.groupCount(), "group counts %d, %d",
               optimized.groupCount(), plain.groupCount());

    optimized.setMatchLimit(kComparisonStepLimit);
    plain.setMatchLimit(kComparisonStepLimit);
    MatchOutcome fast = matchRange(optimized, subject, offered);
    checkOutcome(optimized, fast, subject.size(), offered);
    MatchOutcome slow = matchRange(plain, subject, offered);
    checkOutcome(plain, slow, subject.size(), offered);
    if (!fast.ranOutOfSteps() && !slow.ranOutOfSteps()) {
        FUZZ_CHECK(fast.sameAs(slow), "the shortcuts changed the result: %d, %d", fast.matched, slow.matched);
    }

    RegexGateSet gates;
    int gate = gates.add(optimized);
    if (gate >= 0 && fast.matched && !fast.ranOutOfSteps()) {
        std::unique_ptr<char[]> bytes(new char[subject.size()]);
        std::memcpy(bytes.get(), subject.data(), subject.size());
        const char* end = bytes.get() + subject.size();
        FUZZ_CHECK(gates.passing(bytes.get(), end) >> gate & 1, "the gate ruled out a subject the pattern matches");
        // A gate that the pattern begins with is compared at the subject's start, not searched.
        bool atStart = gates.passingAtStart(bytes.get(), end) >> gate & 1;
        gates.fitBulkSearch(bytes.get(), subject.size());
        FUZZ_CHECK(atStart || gates.firstGate(bytes.get(), end) != end, "the stretch search missed the gate of a match");
        std::vector<uint32_t> places(1 + RegexNeedleFinder::kMostInBlock);
        size_t complete = 0;
        size_t count = gates.gatesFrom(bytes.get(), end, places.data(), 1, &complete);
        FUZZ_CHECK(atStart || count > 0 || complete < subject.size(), "the collecting search missed the gate of a match");
        // Whichever literal a sample makes the gate, it passes a subject the pattern matches.
        RegexGateSet fitted;
        int rarest = fitted.addRarestIn(optimized, pattern.data(), pattern.size());
        FUZZ_CHECK(rarest >= 0 && (fitted.passing(bytes.get(), end) >> rarest & 1),
                   "the gate fitted to a sample ruled out a subject the pattern matches");
    }

    // As the classifier matches a line: zero-terminated, on the full budget, which must end
    // every match in bounded time.
    optimized.setMatchLimit(Regex::kDefaultMatchLimit);
    MatchOutcome text = matchText(optimized, subject, offered);
    checkOutcome(optimized, text, std::strlen(subject.c_str()), offered);
    return 0;
}
