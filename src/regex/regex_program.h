#pragma once

// The compiled form of a pattern and the records of the matcher's backtracking stack.
// Shared by the compiler, the matcher and the analyses that run after a compile.

#include <cstdint>

#include "regex/regex.h"

// Element kinds. Odd repeat kinds are greedy; the following even kind is the lazy form.
enum RegexKind : int32_t {
    LineStart = 1,
    LineEnd = 2,
    TextStart = 3,
    TextEnd = 4,
    WordBoundary = 5,
    NotWordBoundary = 6,
    InClass = 7,
    NotInClass = 8,
    AnyButNewline = 9,
    AnyChar = 10,
    Char = 11,
    NotChar = 12,
    CharFold = 13,
    NotCharFold = 14,
    CharSet = 15,
    GroupOpen = 16,
    GroupClose = 17,
    Alternative = 18,
    BackReference = 19,
    RepeatChar = 23,
    RepeatCharLazy = 24,
    RepeatNotChar = 25,
    RepeatNotCharLazy = 26,
    RepeatAny = 27,
    RepeatAnyLazy = 28,
    RepeatClass = 29,
    RepeatClassLazy = 30,
    RepeatNotClass = 31,
    RepeatNotClassLazy = 32,
    RepeatSet = 33,
    RepeatSetLazy = 34,
    RepeatGroup = 35,
    RepeatGroupLazy = 36,
    RepeatBackReference = 37,
    RepeatBackReferenceLazy = 38,
    LookAhead = 41,
    NegLookAhead = 42,
    LookBehind = 43,
    NegLookBehind = 44,
    Commit = 46,
    Accept = 47,
    // Choice points that no element pushes under its own kind.
    SavedCapture = GroupOpen,
    AltChoice = Alternative,
};

// Class bits of charClassTable; classSets holds their members in this order.
enum CharClassBits : uint8_t {
    CcDigit = 1,
    CcSpace = 2,
    CcWord = 4,
    CcLower = 8,
    CcUpper = 16,
    CcAlpha = 32,
};

inline bool isSingleRepeat(int32_t kind) { return kind >= RepeatChar && kind <= RepeatSetLazy; }
inline bool isLookAround(int32_t kind) { return kind >= LookAhead && kind <= NegLookBehind; }
inline bool setHas(const uint8_t* set, uint8_t c) { return (set[c >> 3] >> (c & 7)) & 1; }
inline void setAdd(uint8_t* set, uint8_t c) { set[c >> 3] = uint8_t(set[c >> 3] | (1u << (c & 7))); }

// One element of a program. A program of n elements is one zeroed array; next and prev are the
// array neighbours and every other transfer of control goes through the fields below.
struct RegexNode {
    int32_t kind;
    RegexNode* next;
    RegexNode* prev;
    // A character (the lower-case mapping for folded kinds), a class mask, a back-referenced
    // group number, or the dot kind of a RepeatAny.
    uint32_t operand;
    // The owned 32-byte member set of CharSet, RepeatSet and RepeatSetLazy.
    uint8_t* set;
    // GroupOpen, RepeatGroup, look-around opens and Alternative: the first/next Alternative of
    // the same group.
    RegexNode* alternative;
    // Groups: the group number, -1 when it does not capture; look-around opens: the number of
    // elements between open and close (the look-behind width).
    int32_t index;
    // Alternative: the GroupClose of its group.
    RegexNode* close;
    // Open <-> close.
    RegexNode* partner;
    int32_t min;
    int32_t max;
    // Single-element repetitions: the one-character test that follows, across plain group
    // closes, used to skip steps that are bound to fail; none when there is no such test.
    RegexNode* follow;
    // Char: how many Char elements run from here in a row (itself included), matched as one
    // comparison; their text is in runText.
    int32_t runLength;
    const uint8_t* runText;
    // RepeatSet and RepeatSetLazy of a set that holds every byte but one to three: how many,
    // and those bytes (the first repeated in the unused places); 0 for other sets.
    int32_t stopCount;
    uint8_t stops[3];
};

// A record on the backtracking stack.
struct ChoicePoint {
    int32_t kind;
    const RegexNode* node;
    const uint8_t* pos;
    // Repetitions: the position after the mandatory count; group loops: the iteration's start.
    const uint8_t* floor;
    // SavedCapture: the saved start; group loops: iterations still needed to reach min;
    // repeated back-references: the length of one repetition.
    int32_t saved;
    // SavedCapture: the saved end; repetitions and group loops: repetitions still allowed
    // (negative: unlimited).
    int32_t count;
    int32_t active;
};

constexpr int kChoiceChunkSize = 16;

struct ChoiceChunk {
    ChoicePoint points[kChoiceChunkSize];
    ChoiceChunk* prev = nullptr;
    ChoiceChunk* next = nullptr;
};
