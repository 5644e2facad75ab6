#pragma once

#include <cstdint>

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
    int matchRange(const char* begin, const char* end, CaptureSpan* spans, int& count);

    int errorCode() const { return errorCode_; }
    int errorPos() const { return errorPos_; }
    int groupCount() const { return groupCount_; }
    int maxBackReference() const { return maxBackReference_; }

private:
    // The compiler and the matcher live in their own files; their state is below.
    int32_t errorCode_ = ErrNotCompiled;
    int32_t errorPos_ = 0;
    int32_t groupCount_ = 1;
    int32_t maxBackReference_ = 0;
};
