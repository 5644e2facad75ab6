// Pattern text to program: the delimited form, a validation pass that sizes the program, and
// the main pass that writes the elements in array order.

#include <climits>
#include <cstring>
#include <vector>

#include "regex/regex.h"
#include "regex/regex_program.h"

namespace {

constexpr int kMaxOpenGroups = 255;
constexpr int kConstructStackSize = 256;

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return c - 'A' + 10;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The class mask of a class escape letter, 0 for any other letter; negated for upper case.
uint8_t classMask(char letter, bool& negated) {
    negated = false;
    switch (letter) {
    case 'D': negated = true; [[fallthrough]];
    case 'd': return CcDigit;
    case 'S': negated = true; [[fallthrough]];
    case 's': return CcSpace;
    case 'W': negated = true; [[fallthrough]];
    case 'w': return CcWord;
    case 'L': negated = true; [[fallthrough]];
    case 'l': return CcLower;
    case 'U': negated = true; [[fallthrough]];
    case 'u': return CcUpper;
    case 'I': negated = true; [[fallthrough]];
    case 'i': return CcAlpha;
    default: return 0;
    }
}

int classSetIndex(uint8_t mask) {
    int index = 0;
    while (mask > 1) {
        mask = uint8_t(mask >> 1);
        ++index;
    }
    return index;
}

}  // namespace

class RegexCompiler {
public:
    RegexCompiler(Regex& regex, const char* expression, int32_t length, uint32_t flags)
        : regex_(regex), text_(expression), length_(length), flags_(flags) {}

    bool compile() { return validate() && writeProgram(); }

private:
    bool fail(int32_t code, int32_t position) {
        regex_.errorCode_ = code;
        regex_.errorPos_ = position;
        return false;
    }

    char at(int32_t i) const { return i < length_ ? text_[i] : '\0'; }

    // Where a set that opens at start ends: its first unescaped ']' (a ']' right after '[' or
    // '[^' closes an empty set); -1 when it never ends. Both passes read sets this way.
    int32_t setEnd(int32_t start) const {
        int32_t i = start + 1;
        if (at(i) == '^') ++i;
        if (i < length_ && text_[i] == ']') return i;
        while (i < length_) {
            if (text_[i] == '\\') {
                if (i + 1 >= length_) return -1;
                i += 2;
            } else if (text_[i] == ']') {
                return i;
            } else {
                ++i;
            }
        }
        return -1;
    }

    bool validate();
    bool writeProgram();

    RegexNode* newNode(int32_t kind);
    bool writeLiteral(uint8_t c, bool fromEscape);
    bool writeEscape();
    bool writeOpen();
    bool writeAlternative();
    bool writeClose();
    bool writeQuantifier();
    bool writeSet();
    bool readHex(int32_t at, int32_t& value, int32_t& after);

    Regex& regex_;
    const char* text_;
    int32_t length_;
    uint32_t flags_;

    int32_t nodeCount_ = 0;
    RegexNode* nodes_ = nullptr;
    int32_t nextFree_ = 0;
    int32_t pos_ = 0;
    int32_t errorAt_ = 0;
    RegexNode* constructs_[kConstructStackSize] = {};
    int32_t constructDepth_ = 0;
    int32_t capturesOpened_ = 0;
    std::vector<bool> groupClosed_;
    bool inLookBehind_ = false;
    bool quoted_ = false;
};

// Counts the elements (an upper bound that sizes the program) and checks the bracket structure.
bool RegexCompiler::validate() {
    int32_t count = 3;
    int32_t openAt[kMaxOpenGroups];
    int32_t depth = 0;
    int32_t groups = 1;
    bool quoted = false;
    int32_t i = 0;
    while (i < length_) {
        char c = text_[i];
        if (quoted) {
            if (c == '\\' && i + 1 < length_) {
                if (text_[i + 1] == 'E') {
                    quoted = false;
                    count += 1;
                } else {
                    count += 2;
                }
                i += 2;
            } else {
                count += 1;
                i += 1;
            }
            continue;
        }
        switch (c) {
        case '\\':
            if (i + 1 >= length_) {
                count += 1;
                i += 1;
            } else if (text_[i + 1] == 'x') {
                if (!isHexDigit(at(i + 2))) return fail(ErrSyntax, i + 2);
                count += 1;
                i += isHexDigit(at(i + 3)) ? 4 : 3;
            } else {
                if (text_[i + 1] == 'Q') quoted = true;
                count += 1;
                i += 2;
            }
            break;
        case '(':
            if (depth == kMaxOpenGroups) return fail(ErrTooComplex, i);
            openAt[depth++] = i;
            count += 1;
            if (at(i + 1) == '?') {
                i += (i + 2 < length_) ? 3 : 2;
            } else {
                ++groups;
                i += 1;
            }
            break;
        case ')':
            if (depth == 0) return fail(ErrUnbalanced, i);
            --depth;
            count += 1;
            i += 1;
            break;
        case '[': {
            int32_t end = setEnd(i);
            if (end < 0) return fail(ErrUnbalanced, i);
            count += 1;
            i = end + 1;
            break;
        }
        case '{': {
            const void* close = std::memchr(text_ + i, '}', size_t(length_ - i));
            if (!close) return fail(ErrUnbalanced, i);
            i = int32_t(static_cast<const char*>(close) - text_) + 1;
            break;
        }
        case '*':
        case '+':
        case '?':
            i += 1;
            break;
        default:
            count += 1;
            i += 1;
            break;
        }
    }
    if (depth > 0) return fail(ErrUnbalanced, openAt[0]);
    nodeCount_ = count;
    regex_.groupCount_ = groups;
    return true;
}

RegexNode* RegexCompiler::newNode(int32_t kind) {
    // The validation count leaves room for the final close and Accept; never write past it.
    if (nextFree_ >= nodeCount_ - 2) {
        fail(ErrTooComplex, errorAt_);
        return nullptr;
    }
    RegexNode* node = &nodes_[nextFree_++];
    node->kind = kind;
    return node;
}

bool RegexCompiler::writeLiteral(uint8_t c, bool fromEscape) {
    const uint8_t* lower = regex_.lowerTable_;
    const uint8_t* upper = regex_.upperTable_;
    bool hasCaseVariant = lower[c] != c || upper[c] != c;
    bool fold = regex_.ignoreCase_ && (!fromEscape || hasCaseVariant);
    RegexNode* node = newNode(fold ? CharFold : Char);
    if (!node) return false;
    node->operand = fold ? lower[c] : c;
    return true;
}

bool RegexCompiler::readHex(int32_t start, int32_t& value, int32_t& after) {
    if (!isHexDigit(at(start))) return fail(ErrSyntax, start);
    value = hexValue(text_[start]);
    after = start + 1;
    if (isHexDigit(at(after))) {
        value = value * 16 + hexValue(text_[after]);
        ++after;
    }
    return true;
}

// A backslash outside a set; pos_ is at the backslash.
bool RegexCompiler::writeEscape() {
    int32_t start = pos_;
    if (start + 1 >= length_) {
        pos_ += 1;
        return writeLiteral('\\', true);
    }
    char e = text_[start + 1];
    pos_ = start + 2;
    bool negated = false;
    uint8_t mask = classMask(e, negated);
    if (mask) {
        RegexNode* node = newNode(negated ? NotInClass : InClass);
        if (!node) return false;
        node->operand = mask;
        return true;
    }
    switch (e) {
    case 'A': return newNode(TextStart) != nullptr;
    case 'Z': return newNode(TextEnd) != nullptr;
    case 'b': return newNode(WordBoundary) != nullptr;
    case 'B': return newNode(NotWordBoundary) != nullptr;
    case 'O': return newNode(Commit) != nullptr;
    case 'e': return writeLiteral(27, true);
    case 'f': return writeLiteral(12, true);
    case 'n': return writeLiteral(10, true);
    case 'r': return writeLiteral(13, true);
    case 't': return writeLiteral(9, true);
    case 'Q':
        quoted_ = true;
        return true;
    case 'E':
        return true;
    case 'x': {
        int32_t value = 0;
        if (!readHex(start + 2, value, pos_)) return false;
        return writeLiteral(uint8_t(value), true);
    }
    default:
        break;
    }
    if (e >= '0' && e <= '9') {
        int64_t number = 0;
        int32_t i = start + 1;
        while (i < length_ && text_[i] >= '0' && text_[i] <= '9') {
            if (number <= INT32_MAX) number = number * 10 + (text_[i] - '0');
            ++i;
        }
        pos_ = i;
        if (number == 0 || number > capturesOpened_ || !groupClosed_[size_t(number)]) return fail(ErrBadBackReference, start);
        RegexNode* node = newNode(BackReference);
        if (!node) return false;
        node->operand = uint32_t(number);
        if (number > regex_.maxBackReference_) regex_.maxBackReference_ = int32_t(number);
        return true;
    }
    if (isAsciiLetter(e) && (flags_ & RegexStrictEscapes)) return fail(ErrUnknownEscape, start);
    return writeLiteral(uint8_t(e), true);
}

bool RegexCompiler::writeOpen() {
    int32_t start = pos_;
    if (inLookBehind_) return fail(ErrSyntax, start);
    if (constructDepth_ == kConstructStackSize) return fail(ErrTooComplex, start);
    RegexNode* node = nullptr;
    if (at(start + 1) == '?') {
        char form = at(start + 2);
        int32_t kind = 0;
        pos_ = start + 3;
        if (form == ':') {
            kind = GroupOpen;
        } else if (form == '=') {
            kind = LookAhead;
        } else if (form == '!') {
            kind = NegLookAhead;
        } else if (form == '<') {
            char sense = at(start + 3);
            if (sense == '=') {
                kind = LookBehind;
            } else if (sense == '!') {
                kind = NegLookBehind;
            } else {
                return fail(ErrSyntax, start + 3);
            }
            pos_ = start + 4;
        } else {
            return fail(ErrSyntax, start + 2);
        }
        node = newNode(kind);
        if (!node) return false;
        node->index = -1;
        if (kind == LookAhead || kind == NegLookAhead) regex_.hasLookAhead_ = true;
        if (kind == LookBehind || kind == NegLookBehind) inLookBehind_ = true;
    } else {
        pos_ = start + 1;
        node = newNode(GroupOpen);
        if (!node) return false;
        node->index = ++capturesOpened_;
    }
    constructs_[constructDepth_++] = node;
    return true;
}

bool RegexCompiler::writeAlternative() {
    if (inLookBehind_) return fail(ErrSyntax, pos_);
    if (constructDepth_ == kConstructStackSize) return fail(ErrTooComplex, pos_);
    RegexNode* node = newNode(Alternative);
    if (!node) return false;
    constructs_[constructDepth_ - 1]->alternative = node;
    constructs_[constructDepth_++] = node;
    pos_ += 1;
    return true;
}

bool RegexCompiler::writeClose() {
    RegexNode* close = newNode(GroupClose);
    if (!close) return false;
    pos_ += 1;
    inLookBehind_ = false;
    while (constructs_[constructDepth_ - 1]->kind == Alternative) constructs_[--constructDepth_]->close = close;
    RegexNode* open = constructs_[--constructDepth_];
    open->partner = close;
    close->partner = open;
    if (open->kind == GroupOpen) {
        close->index = open->index;
        if (open->index > 0) groupClosed_[size_t(open->index)] = true;
    } else {
        open->index = int32_t(close - open - 1);
    }
    return true;
}

bool RegexCompiler::writeQuantifier() {
    int32_t start = pos_;
    if (inLookBehind_) return fail(ErrSyntax, start);
    int32_t min = 0;
    int32_t max = -1;
    char q = text_[start];
    pos_ = start + 1;
    if (q == '+') {
        min = 1;
    } else if (q == '?') {
        max = 1;
    } else if (q == '{') {
        int32_t i = start + 1;
        auto readCount = [&](int32_t& value, bool& any) {
            int64_t number = 0;
            any = false;
            while (i < length_ && text_[i] >= '0' && text_[i] <= '9') {
                number = number * 10 + (text_[i] - '0');
                if (number > INT32_MAX) return false;
                any = true;
                ++i;
            }
            value = int32_t(number);
            return true;
        };
        bool any = false;
        if (!readCount(min, any)) return fail(ErrBadCount, start + 1);
        max = min;
        if (at(i) == ',') {
            ++i;
            int32_t upper = 0;
            if (!readCount(upper, any)) return fail(ErrBadCount, start + 1);
            max = any ? upper : -1;
        }
        if (at(i) != '}' || (max >= 0 && max < min)) return fail(ErrBadCount, start + 1);
        pos_ = i + 1;
    }
    // "{1}" changes nothing, and a '?' after it is a quantifier of its own.
    if (min == 1 && max == 1) return true;

    RegexNode* last = &nodes_[nextFree_ - 1];
    RegexNode* target = last;
    switch (last->kind) {
    case InClass: last->kind = RepeatClass; break;
    case NotInClass: last->kind = RepeatNotClass; break;
    case AnyButNewline:
    case AnyChar:
        last->operand = uint32_t(last->kind);
        last->kind = RepeatAny;
        break;
    case Char:
    case CharFold: last->kind = RepeatChar; break;
    case NotChar:
    case NotCharFold: last->kind = RepeatNotChar; break;
    case CharSet: last->kind = RepeatSet; break;
    case BackReference: last->kind = RepeatBackReference; break;
    case GroupClose:
        if (last->partner->kind != GroupOpen) return fail(ErrNothingToRepeat, start);
        target = last->partner;
        target->kind = RepeatGroup;
        break;
    default:
        return fail(ErrNothingToRepeat, start);
    }
    target->min = min;
    target->max = max;
    if (at(pos_) == '?') {
        target->kind += 1;
        pos_ += 1;
    }
    return true;
}

bool RegexCompiler::writeSet() {
    const int32_t open = pos_;
    const uint8_t* lower = regex_.lowerTable_;
    const uint8_t* upper = regex_.upperTable_;
    const bool fold = regex_.ignoreCase_;
    uint8_t members[32] = {};
    int64_t count = 0;
    bool hasClass = false;
    int32_t rangeStart = -1;
    uint8_t single = 0;

    auto add = [&](uint8_t c) {
        setAdd(members, c);
        if (fold) {
            setAdd(members, lower[c]);
            setAdd(members, upper[c]);
        }
    };
    auto addChar = [&](uint8_t c) {
        add(c);
        ++count;
        single = c;
        // A range cannot start at '\x00': it stands for "no range start".
        rangeStart = c == 0 ? -1 : c;
    };
    auto addRange = [&](int32_t from, int32_t to) {
        if (to < from) return;
        for (int32_t c = from; c <= to; ++c) add(uint8_t(c));
        count += to - from + 1;
    };

    int32_t i = open + 1;
    bool negated = false;
    if (at(i) == '^' && i < length_) {
        negated = true;
        ++i;
    }
    if (i < length_ && text_[i] == ']') {
        ++i;
    } else {
        for (;;) {
            if (i >= length_) return fail(ErrUnbalanced, open);
            char c = text_[i];
            if (c == ']') {
                ++i;
                break;
            }
            if (c == '\\') {
                if (i + 1 >= length_) return fail(ErrUnbalanced, open);
                char e = text_[i + 1];
                bool complement = false;
                uint8_t mask = classMask(e, complement);
                if (mask) {
                    const uint8_t* members0 = regex_.classSets_[classSetIndex(mask)];
                    for (int b = 0; b < 32; ++b) members[b] = uint8_t(members[b] | (complement ? ~members0[b] : members0[b]));
                    hasClass = true;
                    rangeStart = -1;
                    i += 2;
                } else if (e == 'x') {
                    int32_t value = 0;
                    if (!readHex(i + 2, value, i)) return false;
                    addChar(uint8_t(value));
                } else if (isAsciiLetter(e) && (flags_ & RegexStrictEscapes)) {
                    return fail(ErrUnknownEscape, i);
                } else {
                    addChar(uint8_t(e));
                    i += 2;
                }
                continue;
            }
            if (c == '-' && rangeStart >= 0 && i + 1 < length_ && text_[i + 1] != ']') {
                char e = text_[i + 1];
                if (e == '\\' && at(i + 2) == 'x' && i + 2 < length_) {
                    int32_t value = 0;
                    if (!readHex(i + 3, value, i)) return false;
                    addRange(rangeStart, value);
                } else if (e == '\\') {
                    addChar('-');
                    i += 1;
                } else {
                    addRange(rangeStart, uint8_t(e));
                    i += 2;
                }
                continue;
            }
            addChar(uint8_t(c));
            i += 1;
        }
    }
    pos_ = i;

    if (!hasClass && count == 1) {
        RegexNode* node = newNode(fold ? (negated ? NotCharFold : CharFold) : (negated ? NotChar : Char));
        if (!node) return false;
        node->operand = fold ? lower[single] : single;
        return true;
    }
    // A class escape counts as more members than any list of single characters.
    if (negated && (hasClass || count > 1)) {
        for (uint8_t& b : members) b = uint8_t(~b);
    }
    bool full = true;
    for (uint8_t b : members) full = full && b == 0xFF;
    // A set of every byte is a dot that also takes line breaks.
    if (full) return newNode(AnyChar) != nullptr;
    RegexNode* node = newNode(CharSet);
    if (!node) return false;
    node->set = new uint8_t[32];
    std::memcpy(node->set, members, 32);
    return true;
}

bool RegexCompiler::writeProgram() {
    nodes_ = new RegexNode[size_t(nodeCount_)]();
    for (int32_t i = 0; i < nodeCount_; ++i) {
        nodes_[i].next = i + 1 < nodeCount_ ? &nodes_[i + 1] : nullptr;
        nodes_[i].prev = i > 0 ? &nodes_[i - 1] : nullptr;
    }
    regex_.program_ = nodes_;
    regex_.programSize_ = nodeCount_;
    groupClosed_.assign(size_t(regex_.groupCount_) + 1, false);

    nodes_[0].kind = GroupOpen;
    nodes_[0].index = 0;
    nextFree_ = 1;
    constructs_[0] = &nodes_[0];
    constructDepth_ = 1;
    const bool extended = (flags_ & RegexExtended) != 0;

    pos_ = 0;
    while (pos_ < length_) {
        errorAt_ = pos_;
        char c = text_[pos_];
        bool written = true;
        if (quoted_) {
            if (c == '\\' && pos_ + 1 < length_) {
                char e = text_[pos_ + 1];
                pos_ += 2;
                if (e == 'E') {
                    quoted_ = false;
                } else {
                    written = writeLiteral('\\', true) && writeLiteral(uint8_t(e), true);
                }
            } else {
                pos_ += 1;
                written = writeLiteral(uint8_t(c), true);
            }
            if (!written) return false;
            continue;
        }
        switch (c) {
        case '\t':
        case '\n':
        case '\r':
        case ' ':
            pos_ += 1;
            if (!extended) written = writeLiteral(uint8_t(c), false);
            break;
        case '^':
            pos_ += 1;
            written = newNode((flags_ & RegexMultiLine) ? LineStart : TextStart) != nullptr;
            break;
        case '$':
            pos_ += 1;
            written = newNode((flags_ & RegexMultiLine) ? LineEnd : TextEnd) != nullptr;
            break;
        case '.':
            pos_ += 1;
            written = newNode((flags_ & RegexDotAll) ? AnyChar : AnyButNewline) != nullptr;
            break;
        case '(': written = writeOpen(); break;
        case '|': written = writeAlternative(); break;
        case ')': written = writeClose(); break;
        case '*':
        case '+':
        case '?':
        case '{': written = writeQuantifier(); break;
        case '\\': written = writeEscape(); break;
        case '[': written = writeSet(); break;
        default:
            pos_ += 1;
            written = writeLiteral(uint8_t(c), false);
            break;
        }
        if (!written) return false;
    }

    RegexNode* close = &nodes_[nextFree_];
    while (constructs_[constructDepth_ - 1]->kind == Alternative) constructs_[--constructDepth_]->close = close;
    close->kind = GroupClose;
    close->index = 0;
    close->partner = &nodes_[0];
    nodes_[0].partner = close;
    nodes_[nextFree_ + 1].kind = Accept;
    return true;
}

int Regex::compile(const char* pattern, uint32_t flags) {
    freeProgram();
    groupCount_ = 1;
    maxBackReference_ = 0;
    hasLookAhead_ = false;
    ignoreCase_ = false;
    auto fail = [this](int32_t code, int32_t position) {
        freeProgram();
        groupCount_ = 1;
        maxBackReference_ = 0;
        errorCode_ = code;
        errorPos_ = position;
        return 0;
    };
    if (!pattern) return fail(ErrSyntax, 0);

    const char* expression = pattern;
    int32_t length = int32_t(std::strlen(pattern));
    if (flags & RegexDelimited) {
        if (pattern[0] != '/') return fail(ErrSyntax, 0);
        int32_t i = 1;
        while (pattern[i] && pattern[i] != '/') i += (pattern[i] == '\\' && pattern[i + 1]) ? 2 : 1;
        if (!pattern[i]) return fail(ErrSyntax, length > 0 ? length - 1 : 0);
        expression = pattern + 1;
        int32_t optionsStart = i + 1;
        length = i - 1;
        for (int32_t j = optionsStart; pattern[j]; ++j) {
            switch (pattern[j]) {
            case 'i': flags |= RegexIgnoreCase; break;
            case 's': flags |= RegexDotAll; break;
            case 'm': flags |= RegexMultiLine; break;
            case 'x': flags |= RegexExtended; break;
            case 'o': flags |= RegexFirstChars; break;
            default: return fail(ErrBadOption, j);
            }
        }
    }
    ignoreCase_ = (flags & RegexIgnoreCase) != 0;

    RegexCompiler compiler(*this, expression, length, flags);
    if (!compiler.compile()) return fail(errorCode_, errorPos_);

    linkFollowTests();
    linkCharRuns();
    noteStopBytes();
    if (flags & RegexFirstChars) buildFirstChars();
    findTrimElement();
    findRequiredLiterals();
    errorCode_ = ErrNone;
    errorPos_ = 0;
    return 1;
}
