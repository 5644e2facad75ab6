#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A (start, end) pair of byte offsets into the subject, end exclusive; -1, -1 when the group
// took no part. Span 0 is the whole match.
struct CaptureSpan {
    int32_t start;
    int32_t end;
};

enum RegexFlags : uint32_t {
    RegexIgnoreCase = 1,
    RegexDotAll = 2,
    RegexMultiLine = 4,
    RegexExtended = 8,
    RegexDelimited = 16,
    RegexFirstChars = 32,
    RegexStrictEscapes = 64,
};

enum RegexError : int32_t {
    ErrNone = 0,
    ErrNotCompiled = 1,
    ErrSyntax = 2,
    ErrUnbalanced = 3,
    ErrTooComplex = 4,
    ErrBadOption = 5,
    ErrBadBackReference = 6,
    ErrUnknownEscape = 7,
    ErrBadCount = 8,
    ErrNothingToRepeat = 9,
    ErrCaptureCapacity = 10,
    // A match that ran past its step budget ends as no match with this code.
    ErrMatchLimit = 11,
    // A match that takes more than a few thousand steps once the user asked to stop the work
    // (StopRequested) gives up as no match with this code.
    ErrMatchAbandoned = 12,
};

struct RegexNode;
struct ChoiceChunk;

// A regular expression over 8-bit text, compiled once and matched against many subjects.
// A match is anchored at the subject's first byte and need not reach its end.
class Regex {
public:
    Regex();
    Regex(const Regex&) = delete;
    Regex& operator=(const Regex&) = delete;
    virtual ~Regex();

    // 1 on success, 0 on failure (errorCode and errorPos tell why).
    int compile(const char* pattern, uint32_t flags);
    // count: in, the spans provided; out, the spans written. 1 match, 0 no match.
    int match(const char* subject, CaptureSpan* spans, int& count);
    // gatePassed: the subject is known to hold the literal that a gate set (RegexGateSet) chose
    // for this regex, which is then not searched for again. The result is the same.
    int matchRange(const char* begin, const char* end, CaptureSpan* spans, int& count, bool gatePassed = false);

    int errorCode() const { return errorCode_; }
    int errorPos() const { return errorPos_; }
    int groupCount() const { return groupCount_; }
    int maxBackReference() const { return maxBackReference_; }

    // Steps one match may take before it gives up with ErrMatchLimit; 0 means no limit.
    static constexpr uint32_t kDefaultMatchLimit = 10000000;
    void setMatchLimit(uint32_t steps) { matchLimit_ = steps; }
    uint32_t matchLimit() const { return matchLimit_; }

    // The shortcuts (first-character set, end trimming, required literals, repetition skips,
    // literal runs compared at once) never change a result; tests and the benchmark switch
    // them off to prove it.
    void setOptimizations(bool on) { optimizations_ = on; }
    bool optimizations() const { return optimizations_; }

    // For tests: the compiled program (none before a successful compile) and its node count,
    // the first-character set, and the byte strings that every match contains in this order.
    const RegexNode* program() const { return program_; }
    int programSize() const { return programSize_; }
    bool firstCharsValid() const { return firstCharsValid_; }
    bool isFirstChar(unsigned char c) const { return firstChars_[c]; }
    std::vector<std::string> requiredLiterals() const;
    // The byte strings of which every match contains at least one: the leading literals of the
    // branches of a group that every match passes, such as (Error|Exit). Empty when there is
    // no such group whose branches all begin with two or more exact bytes.
    const std::vector<std::string>& requiredAlternatives() const { return requiredAlternatives_; }

private:
    friend class RegexCompiler;
    friend class RegexGateSet;

    void freeProgram();
    void resetAnalyses();
    bool elementAccepts(const RegexNode* node, uint8_t c) const;
    const uint8_t* findLastAccepted(const RegexNode* node, const uint8_t* from, const uint8_t* to) const;
    void linkFollowTests();
    void linkCharRuns();
    void buildFirstChars();
    void findTrimElement();
    const uint8_t* trimmedEnd(const uint8_t* begin, const uint8_t* end) const;
    void findRequiredLiterals();
    void noteRequiredAlternatives(const RegexNode* group, bool atStart);
    void chooseGateRun();
    bool containsRequiredLiterals(const uint8_t* begin, const uint8_t* end, bool gatePassed) const;
    const uint8_t* scanAccepted(const RegexNode* node, const uint8_t* p, const uint8_t* limit) const;
    void noteStopBytes();
    int runAndTidy(const uint8_t* begin, const uint8_t* end, CaptureSpan* spans, int32_t count);
    int runProgram(const uint8_t* begin, const uint8_t* end, CaptureSpan* spans, int32_t count);

    RegexNode* program_ = nullptr;
    int32_t programSize_ = 0;
    uint8_t lowerTable_[256];
    uint8_t upperTable_[256];
    uint8_t charClassTable_[256];
    uint8_t classSets_[6][32];
    bool firstChars_[256] = {};
    bool firstCharsValid_ = false;
    bool hasLookAhead_ = false;
    bool ignoreCase_ = false;
    int32_t errorCode_ = ErrNotCompiled;
    int32_t errorPos_ = 0;
    int32_t groupCount_ = 1;
    int32_t maxBackReference_ = 0;
    const char* subjectStart_ = nullptr;
    ChoiceChunk* firstChunk_ = nullptr;

    // The last mandatory element that consumes a character, when end trimming is sound.
    const RegexNode* trimElement_ = nullptr;
    // Required literals: byte strings that every match contains in this order, stored one after
    // another in requiredBytes_; each run keeps the offset of its rarest byte, the one searched
    // for. Folded runs compare by lower-case mapping.
    struct RequiredRun {
        int32_t offset;
        int32_t length;
        int32_t anchor;
        int32_t pair;  // the rarest two adjacent bytes of an exact run, -1 when there are none
    };
    std::string requiredBytes_;
    std::vector<RequiredRun> requiredRuns_;
    // The most telling run, looked for anywhere before the runs are walked in order: a subject
    // without it is rejected by one search. -1 when there is only one run.
    int32_t gateRun_ = -1;
    const uint8_t* findRun(const RequiredRun& required, const uint8_t* from, const uint8_t* end) const;
    bool requiredFolded_ = false;
    std::vector<std::string> requiredAlternatives_;
    // The run that every match begins with (0), -1 when a match may begin otherwise; and
    // whether every match begins with one of the alternatives.
    int32_t leadingRun_ = -1;
    bool alternativesLead_ = false;
    // The text of every run of adjacent literals, which the matcher compares at once.
    std::string charRunText_;

    // For each span, the stack generation in which the matcher last saved it; kept from match
    // to match so that a match allocates nothing.
    std::vector<uint64_t> spanGenerations_;

    bool optimizations_ = true;
    uint32_t matchLimit_ = kDefaultMatchLimit;
};
