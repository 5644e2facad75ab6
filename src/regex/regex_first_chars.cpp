// The first-character set: every byte that can begin a match. A subject whose first byte is
// not in it is rejected by one table lookup.

#include <cstring>
#include <vector>

#include "regex/regex.h"
#include "regex/regex_element_test.h"
#include "regex/regex_program.h"

void Regex::buildFirstChars() {
    std::vector<const RegexNode*> pending;
    bool seen[256] = {};
    const RegexNode* node = program_;
    auto addAccepted = [this, &seen](const RegexNode* element) {
        for (int c = 0; c < 256; ++c) {
            if (elementAccepts(element, uint8_t(c))) seen[c] = true;
        }
    };
    for (;;) {
        bool branchEnds = false;
        switch (node->kind) {
        case GroupOpen:
            if (node->alternative) pending.push_back(node->alternative);
            node = node->next;
            break;
        case GroupClose:
        // The walk has consumed nothing yet: at the subject start these assertions either hold
        // or make the branch fail, and assuming they hold only widens the set.
        case TextStart:
        case LineStart:
        case WordBoundary:
        case NotWordBoundary:
        case Commit:
            node = node->next;
            break;
        case Alternative:
            node = node->close;
            break;
        case LookAhead:
        case NegLookAhead:
        case LookBehind:
        case NegLookBehind:
            node = node->partner->next;
            break;
        case InClass:
        case NotInClass:
        case AnyButNewline:
        case AnyChar:
        case Char:
        case NotChar:
        case CharFold:
        case NotCharFold:
        case CharSet:
            addAccepted(node);
            branchEnds = true;
            break;
        case RepeatGroup:
        case RepeatGroupLazy:
            if (node->min == 0) return;
            if (node->alternative) pending.push_back(node->alternative);
            node = node->next;
            break;
        default:
            if (!isSingleRepeat(node->kind)) return;  // anything that may match empty: give up
            addAccepted(node);
            if (node->min == 0) {
                node = node->next;
            } else {
                branchEnds = true;
            }
            break;
        }
        if (!branchEnds) continue;
        if (pending.empty()) {
            std::memcpy(firstChars_, seen, sizeof seen);
            firstCharsValid_ = true;
            return;
        }
        const RegexNode* alternative = pending.back();
        pending.pop_back();
        if (alternative->alternative) pending.push_back(alternative->alternative);
        node = alternative->next;
    }
}
