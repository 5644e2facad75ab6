#pragma once

// The one-character test of every element that consumes exactly one character, repeated or
// not. The matcher's tight loops, the skips, the first-character set and end trimming all
// ask it, so they can never disagree about what an element accepts.

#include <cstring>

#include "regex/regex_program.h"

inline bool Regex::elementAccepts(const RegexNode* node, uint8_t c) const {
    switch (node->kind) {
    case InClass:
    case RepeatClass:
    case RepeatClassLazy:
        return (charClassTable_[c] & node->operand) != 0;
    case NotInClass:
    case RepeatNotClass:
    case RepeatNotClassLazy:
        return (charClassTable_[c] & node->operand) == 0;
    case AnyButNewline:
        return c != '\r' && c != '\n';
    case AnyChar:
        return true;
    case RepeatAny:
    case RepeatAnyLazy:
        return node->operand == AnyChar || (c != '\r' && c != '\n');
    case Char:
        return c == node->operand;
    case NotChar:
        return c != node->operand;
    case CharFold:
        return lowerTable_[c] == node->operand;
    case NotCharFold:
        return lowerTable_[c] != node->operand;
    // A repeated literal no longer knows whether it was folded; under ignoreCase an unfolded
    // one has no case variant, so comparing lower-case mappings gives the same answer.
    case RepeatChar:
    case RepeatCharLazy:
        return (ignoreCase_ ? lowerTable_[c] : c) == node->operand;
    case RepeatNotChar:
    case RepeatNotCharLazy:
        return (ignoreCase_ ? lowerTable_[c] : c) != node->operand;
    case CharSet:
    case RepeatSet:
    case RepeatSetLazy:
        return setHas(node->set, c);
    default:
        return false;
    }
}

// The last position in [from, to) whose character the element accepts, or none. Literals,
// the common case, get a loop of their own.
inline const uint8_t* Regex::findLastAccepted(const RegexNode* node, const uint8_t* from, const uint8_t* to) const {
    if (node->kind == Char) {
        const uint8_t c = uint8_t(node->operand);
#if defined(__GLIBC__)
        return to > from ? static_cast<const uint8_t*>(memrchr(from, c, size_t(to - from))) : nullptr;
#else
        while (to > from) {
            if (*--to == c) return to;
        }
        return nullptr;
#endif
    }
    while (to > from) {
        if (elementAccepts(node, *--to)) return to;
    }
    return nullptr;
}
