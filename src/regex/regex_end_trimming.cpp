// End trimming: a match must end with its last consuming element, so the subject can be cut
// after the last character that element accepts.

#include "regex/regex.h"
#include "regex/regex_element_test.h"
#include "regex/regex_program.h"

// Trimming is sound only when every successful run writes every span on its own path:
// then a run that went past the cut, bound to fail, cannot leave a stale span behind for the
// match to show. Alternatives, group loops and look-arounds can leave such spans, and a commit
// reached past the cut would end the whole match, so their programs are not trimmed.
void Regex::findTrimElement() {
    const RegexNode* finalClose = program_[0].partner;
    for (const RegexNode* node = program_; node != finalClose; node = node->next) {
        int32_t kind = node->kind;
        if (kind == Alternative || kind == RepeatGroup || kind == RepeatGroupLazy || kind == Commit || isLookAround(kind)) return;
    }
    const RegexNode* last = finalClose->prev;
    while (last->kind == GroupClose) {
        if (last->partner->kind != GroupOpen || last->partner->alternative) return;
        last = last->prev;
    }
    int32_t kind = last->kind;
    bool single = (kind >= InClass && kind <= CharSet && kind != AnyButNewline && kind != AnyChar);
    bool repeated = isSingleRepeat(kind) && kind != RepeatAny && kind != RepeatAnyLazy && last->min > 0;
    if (single || repeated) trimElement_ = last;
}

const uint8_t* Regex::trimmedEnd(const uint8_t* begin, const uint8_t* end) const {
    const RegexNode* element = trimElement_;
    while (end > begin && !elementAccepts(element, end[-1])) --end;
    return end;
}
