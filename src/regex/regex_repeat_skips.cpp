// Links every single-element repetition to the one-character test that follows it, so that
// the matcher can skip the repetitions after which that test is bound to fail.

#include "regex/regex.h"
#include "regex/regex_program.h"

void Regex::linkFollowTests() {
    for (int32_t i = 0; i < programSize_; ++i) {
        RegexNode& repeat = program_[i];
        if (!isSingleRepeat(repeat.kind)) continue;
        // Plain group closes only record an end; the skip can account for them.
        RegexNode* next = repeat.next;
        while (next->kind == GroupClose && next->partner->kind == GroupOpen) next = next->next;
        if (next->kind >= InClass && next->kind <= CharSet && next->kind != AnyButNewline && next->kind != AnyChar) {
            repeat.follow = next;
        }
    }
}
