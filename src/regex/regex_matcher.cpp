// The backtracking interpreter: runs a program once, anchored at the subject's first byte, with
// an explicit stack of choice points instead of recursion.

#include <algorithm>
#include <climits>
#include <cstring>

#include "regex/regex.h"
#include "foundation/stop_request.h"
#include "regex/regex_choice_stack.h"
#include "regex/regex_element_test.h"
#include "regex/regex_literal_check.h"
#include "regex/regex_program.h"
#include "regex/regex_stop_bytes.h"

namespace {

// Steps between two looks at whether the user asked to stop.
const uint64_t kStopCheckInterval = 1 << 14;

bool sameText(const uint8_t* a, const uint8_t* b, int32_t length, bool fold, const uint8_t* lower) {
    if (!fold) return std::memcmp(a, b, size_t(length)) == 0;
    for (int32_t i = 0; i < length; ++i) {
        if (lower[a[i]] != lower[b[i]]) return false;
    }
    return true;
}

}  // namespace

int Regex::match(const char* subject, CaptureSpan* spans, int& count) {
    // Most subjects fail a shortcut that needs no length: spare them the strlen.
    if (subject && program_ && optimizations_ && count > maxBackReference_) {
        const uint8_t first = uint8_t(subject[0]);
        bool rejected = firstCharsValid_ && (first == 0 || !firstChars_[first]);
        if (!rejected && !requiredRuns_.empty() && !requiredFolded_ && requiredRuns_[0].length == 1) {
            rejected = !std::strchr(subject, requiredBytes_[0]);
        }
        if (rejected) {
            errorCode_ = ErrNone;
            if (count > groupCount_) count = groupCount_;
            return 0;
        }
    }
    const char* end = subject ? subject + std::strlen(subject) : nullptr;
    return matchRange(subject, end, spans, count);
}

int Regex::matchRange(const char* begin, const char* end, CaptureSpan* spans, int& count, bool gatePassed) {
    if (!program_) return 0;
    if (count <= maxBackReference_) {
        errorCode_ = ErrCaptureCapacity;
        errorPos_ = maxBackReference_;
        return 0;
    }
    errorCode_ = ErrNone;
    if (count > groupCount_) count = groupCount_;
    if (!begin || !end || end < begin || end - begin > INT32_MAX) return 0;
    const uint8_t* first = reinterpret_cast<const uint8_t*>(begin);
    const uint8_t* last = reinterpret_cast<const uint8_t*>(end);

    // The spans of a failed match mean nothing, so a subject rejected here leaves them alone.
    if (optimizations_) {
        // A valid set means every match consumes a first character, so an empty subject fails
        // without a look at the byte after it.
        if (firstCharsValid_ && (first == last || !firstChars_[*first])) return 0;
        if (!requiredRuns_.empty() && !containsRequiredLiterals(first, last, gatePassed)) return 0;
    }
    return runAndTidy(first, last, spans, count);
}

int Regex::runAndTidy(const uint8_t* begin, const uint8_t* end, CaptureSpan* spans, int32_t count) {
    if (optimizations_ && trimElement_) {
        end = trimmedEnd(begin, end);
        if (end == begin) return 0;
    }
    for (int i = 0; i < count; ++i) spans[i] = CaptureSpan{-1, -1};
    if (!runProgram(begin, end, spans, count)) return 0;
    for (int i = 0; i < count; ++i) {
        if (spans[i].start < 0 || spans[i].end < 0 || spans[i].start > spans[i].end) spans[i] = CaptureSpan{-1, -1};
    }
    return 1;
}

const uint8_t* Regex::scanAccepted(const RegexNode* node, const uint8_t* p, const uint8_t* limit) const {
    const uint32_t operand = node->operand;
    switch (node->kind) {
    case RepeatAny:
    case RepeatAnyLazy:
        if (operand != AnyChar && p < limit) {
            if (const void* lf = std::memchr(p, '\n', size_t(limit - p))) limit = static_cast<const uint8_t*>(lf);
            if (const void* cr = std::memchr(p, '\r', size_t(limit - p))) limit = static_cast<const uint8_t*>(cr);
        }
        return limit;
    case RepeatChar:
    case RepeatCharLazy:
        if (ignoreCase_) {
            while (p < limit && lowerTable_[*p] == operand) ++p;
        } else {
            while (p < limit && *p == operand) ++p;
        }
        return p;
    case RepeatNotChar:
    case RepeatNotCharLazy:
        if (ignoreCase_) {
            while (p < limit && lowerTable_[*p] != operand) ++p;
        } else if (p < limit) {
            const void* hit = std::memchr(p, int(operand), size_t(limit - p));
            return hit ? static_cast<const uint8_t*>(hit) : limit;
        }
        return p;
    case RepeatClass:
    case RepeatClassLazy:
        while (p < limit && (charClassTable_[*p] & operand)) ++p;
        return p;
    case RepeatNotClass:
    case RepeatNotClassLazy:
        while (p < limit && !(charClassTable_[*p] & operand)) ++p;
        return p;
    default: {
        if (optimizations_ && node->stopCount > 0) return scanToStopByte(node, p, limit);
        const uint8_t* set = node->set;
        while (p < limit && setHas(set, *p)) ++p;
        return p;
    }
    }
}

int Regex::runProgram(const uint8_t* start, const uint8_t* end, CaptureSpan* spans, int32_t count) {
    subjectStart_ = reinterpret_cast<const char*>(start);
    ChoiceStack stack(firstChunk_);
    const RegexNode* node = program_;
    const uint8_t* pos = start;
    const bool skips = optimizations_;
    const uint64_t limit = matchLimit_ ? matchLimit_ : UINT64_MAX;
    uint64_t steps = 0;
    // The step count is compared with one bound only; at that bound the budget and the
    // stop request are looked at and the next bound set.
    uint64_t checkpoint = std::min(limit, kStopCheckInterval);
    auto passCheckpoint = [&] {
        if (steps > limit || StopRequested()) return false;
        checkpoint = std::min(limit, steps + kStopCheckInterval);
        return true;
    };
    const uint8_t* lower = lowerTable_;
    const uint8_t* classes = charClassTable_;

    // Every change of a span is undone by backtracking: before its first change since the
    // topmost choice was made, a span is saved above that choice. With no choice made yet there
    // is nothing to restore it for.
    if (spanGenerations_.size() < size_t(count)) spanGenerations_.resize(size_t(count));
    uint64_t* const spanGeneration = spanGenerations_.data();
    for (int32_t i = 1; i < count; ++i) spanGeneration[i] = stack.generation();
    auto offset = [start](const uint8_t* p) { return int32_t(p - start); };
    // Span 0 is written once, at the end: the match always starts at the subject's start.
    auto captures = [count](const RegexNode* group) { return group->index > 0 && group->index < count; };
    auto keepSpan = [&](const RegexNode* group) {
        const int32_t index = group->index;
        if (spanGeneration[index] == stack.generation()) return;
        spanGeneration[index] = stack.generation();
        stack.pushSavedCapture(group, spans[index].start, spans[index].end);
    };
    auto restoreSpan = [spans](const ChoicePoint& saved) {
        spans[saved.node->index] = CaptureSpan{saved.saved, saved.count};
    };
    auto setStart = [&](const RegexNode* group, const uint8_t* p) {
        keepSpan(group);
        spans[group->index].start = offset(p);
    };
    auto setEnd = [&](const RegexNode* group, const uint8_t* p) {
        keepSpan(group);
        spans[group->index].end = offset(p);
    };
    auto pushAlternative = [&](const RegexNode* open, const uint8_t* at) {
        if (open->alternative) stack.push(AltChoice, open->alternative, at, nullptr, 0, 0, 0);
    };
    // The lazy skip: take, one at a time, the repetitions after which the following test is
    // bound to fail, stopping in front of the last one so that backtracking takes it.
    auto lazySkip = [&](const RegexNode* repeat, const uint8_t* p, int32_t& allowed) {
        const RegexNode* follow = repeat->follow;
        if (p < end && elementAccepts(follow, *p)) return p;
        while (allowed != 0 && p < end && elementAccepts(repeat, *p) && !(p + 1 < end && elementAccepts(follow, p[1]))) {
            ++p;
            if (allowed > 0) --allowed;
        }
        return p;
    };

step:
    if (++steps > checkpoint && !passCheckpoint()) goto stopped;
    switch (node->kind) {
    case LineStart:
        if (pos == start || pos[-1] == '\r' || pos[-1] == '\n') break;
        goto fail;
    case LineEnd:
        if (pos == end) break;
        if (*pos == '\r') {
            ++pos;
            if (pos < end && *pos == '\n') ++pos;
            break;
        }
        if (*pos == '\n') {
            ++pos;
            break;
        }
        goto fail;
    case TextStart:
        if (pos == start) break;
        goto fail;
    case TextEnd:
        if (pos == end) break;
        goto fail;
    case WordBoundary:
    case NotWordBoundary: {
        bool before = pos > start && (classes[pos[-1]] & CcWord);
        bool after = pos < end && (classes[*pos] & CcWord);
        if ((before != after) == (node->kind == WordBoundary)) break;
        goto fail;
    }
    case InClass:
        if (pos < end && (classes[*pos] & node->operand)) {
            ++pos;
            break;
        }
        goto fail;
    case NotInClass:
        if (pos < end && !(classes[*pos] & node->operand)) {
            ++pos;
            break;
        }
        goto fail;
    case AnyButNewline:
        if (pos < end && *pos != '\r' && *pos != '\n') {
            ++pos;
            break;
        }
        goto fail;
    case AnyChar:
        if (pos < end) {
            ++pos;
            break;
        }
        goto fail;
    case Char:
        if (skips && node->runLength > 1) {
            const int32_t length = node->runLength;
            if (end - pos < length) goto fail;
            for (int32_t i = 0; i < length; ++i) {
                if (pos[i] != node->runText[i]) goto fail;
            }
            pos += length;
            node += length;
            goto step;
        }
        if (pos < end && *pos == node->operand) {
            ++pos;
            break;
        }
        goto fail;
    case NotChar:
        if (pos < end && *pos != node->operand) {
            ++pos;
            break;
        }
        goto fail;
    case CharFold:
        if (pos < end && lower[*pos] == node->operand) {
            ++pos;
            break;
        }
        goto fail;
    case NotCharFold:
        if (pos < end && lower[*pos] != node->operand) {
            ++pos;
            break;
        }
        goto fail;
    case CharSet:
        if (pos < end && setHas(node->set, *pos)) {
            ++pos;
            break;
        }
        goto fail;
    case GroupOpen:
        // Before the alternatives' choice: every alternative starts the group here.
        if (captures(node)) setStart(node, pos);
        pushAlternative(node, pos);
        break;
    case Alternative:
        node = node->close;
        goto step;
    case BackReference: {
        const CaptureSpan span = spans[node->operand];
        if (span.start < 0 || span.end < span.start) goto fail;
        int32_t length = span.end - span.start;
        if (length > end - pos || !sameText(start + span.start, pos, length, ignoreCase_, lower)) goto fail;
        pos += length;
        break;
    }
    case RepeatChar:
    case RepeatNotChar:
    case RepeatAny:
    case RepeatClass:
    case RepeatNotClass:
    case RepeatSet: {
        if (node->min > end - pos) goto fail;
        const uint8_t* floor = pos + node->min;
        if (scanAccepted(node, pos, floor) != floor) goto fail;
        int32_t allowed = node->max - node->min;
        const uint8_t* limitPos = (allowed < 0 || allowed > end - floor) ? end : floor + allowed;
        pos = scanAccepted(node, floor, limitPos);
        if (skips && node->follow && !(pos < end && elementAccepts(node->follow, *pos))) {
            // The following test fails here: give back at once, as backtracking would.
            const uint8_t* last = findLastAccepted(node->follow, floor, pos);
            if (!last) goto fail;
            pos = last;
        }
        // Nothing beyond the mandatory part means nothing to give back.
        if (pos != floor) stack.push(node->kind, node, pos, floor, 0, 0, 0);
        break;
    }
    case RepeatCharLazy:
    case RepeatNotCharLazy:
    case RepeatAnyLazy:
    case RepeatClassLazy:
    case RepeatNotClassLazy:
    case RepeatSetLazy: {
        if (node->min > end - pos) goto fail;
        const uint8_t* floor = pos + node->min;
        if (scanAccepted(node, pos, floor) != floor) goto fail;
        pos = floor;
        int32_t allowed = node->max - node->min;
        if (node->max == node->min) break;
        if (skips && node->follow) pos = lazySkip(node, pos, allowed);
        stack.push(node->kind, node, pos, floor, 0, allowed, 0);
        break;
    }
    case RepeatBackReference:
    case RepeatBackReferenceLazy: {
        const CaptureSpan span = spans[node->operand];
        if (span.start < 0 || span.end < span.start) goto fail;
        const int32_t length = span.end - span.start;
        const uint8_t* text = start + span.start;
        // An empty text repeats without moving: the mandatory count is met at once, and there
        // is nothing to take or give back.
        if (length > 0) {
            for (int32_t i = 0; i < node->min; ++i) {
                if (length > end - pos || !sameText(text, pos, length, ignoreCase_, lower)) goto fail;
                pos += length;
            }
        }
        if (node->max == node->min || length == 0) break;
        const uint8_t* floor = pos;
        int32_t allowed = node->max - node->min;
        if (node->kind == RepeatBackReferenceLazy) {
            stack.push(node->kind, node, pos, floor, length, allowed, 0);
            break;
        }
        while (allowed != 0 && length <= end - pos && sameText(text, pos, length, ignoreCase_, lower)) {
            pos += length;
            if (allowed > 0) --allowed;
        }
        if (pos != floor) stack.push(node->kind, node, pos, floor, length, 0, 0);
        break;
    }
    case RepeatGroup:
    case RepeatGroupLazy:
        if (node->max == 0) {
            node = node->partner->next;
            goto step;
        }
        stack.push(node->kind, node, pos, pos, node->min, node->max, 1);
        if (node->kind == RepeatGroupLazy && node->min == 0) {
            node = node->partner->next;
            goto step;
        }
        if (captures(node)) setStart(node, pos);
        pushAlternative(node, pos);
        break;
    case LookAhead:
    case NegLookAhead:
        stack.push(node->kind, node, pos, pos, 0, 0, 1);
        pushAlternative(node, pos);
        break;
    case LookBehind:
    case NegLookBehind:
        if (pos - start >= node->index) {
            stack.push(node->kind, node, pos, pos, 0, 0, 1);
            pos -= node->index;
            break;
        }
        if (node->kind == LookBehind) goto fail;
        node = node->partner->next;
        goto step;
    case Commit:
        stack.push(Commit, node, pos, pos, 0, 0, 0);
        break;
    case Accept:
        // count is above maxBackReference, so there is room for span 0.
        spans[0] = CaptureSpan{0, offset(pos)};
        return 1;
    case GroupClose: {
        const RegexNode* open = node->partner;
        switch (open->kind) {
        case GroupOpen:
            if (captures(node)) setEnd(node, pos);
            break;
        case LookAhead:
            // Everything tried inside the look-ahead is dropped with its own point; the spans
            // it saved stay, for a backtrack past the look-ahead must still restore them.
            if (const ChoicePoint* own = stack.findNearest(LookAhead, LookAhead, open)) {
                pos = own->pos;
                stack.cutKeepingSaves(LookAhead, open);
                break;
            }
            goto fail;
        case NegLookAhead:
            // The body held: the assertion fails, and nothing the body captured survives.
            while (!stack.empty()) {
                const ChoicePoint& point = stack.top();
                const bool own = point.kind == NegLookAhead;
                if (point.kind == SavedCapture) restoreSpan(point);
                stack.pop();
                if (own) break;
            }
            goto fail;
        case LookBehind:
            break;
        case NegLookBehind:
            // The body held: the assertion fails. Only a commit can lie above the body's own
            // point; it is dropped with the body as in a look-ahead.
            while (!stack.empty() && !(stack.top().kind == NegLookBehind && stack.top().node == open)) stack.pop();
            if (!stack.empty()) stack.top().active = 0;
            goto fail;
        default: {
            ChoicePoint* loop = stack.findNearest(RepeatGroup, RepeatGroupLazy, open);
            if (!loop) goto fail;
            ChoicePoint copy = *loop;
            const bool greedy = open->kind == RepeatGroup;
            const bool empty = pos == copy.floor;
            const bool capturing = captures(open);
            // An empty iteration would repeat itself forever: the loop ends there.
            if (empty && (greedy || copy.saved - 1 > 0)) {
                if (capturing) setEnd(open, pos);
                break;
            }
            --copy.saved;
            if (copy.saved > 0) {
                if (copy.count > 0) --copy.count;
                copy.floor = copy.pos = pos;
                stack.push() = copy;
                if (capturing) setStart(open, pos);
                pushAlternative(open, pos);
                node = open->next;
                goto step;
            }
            if (copy.count > 0) --copy.count;
            if (capturing) setEnd(open, pos);
            if (greedy) {
                if (copy.count == 0) break;
                // Leaving the loop here restores the span of the iteration that just ended.
                copy.floor = copy.pos = pos;
                stack.push() = copy;
                if (capturing) setStart(open, pos);
                pushAlternative(open, pos);
                node = open->next;
                goto step;
            }
            if (copy.count != 0) {
                copy.active = empty ? 0 : 1;
                copy.floor = copy.pos = pos;
                stack.push() = copy;
            }
            break;
        }
        }
        break;
    }
    default:
        goto fail;
    }
    node = node->next;
    goto step;

fail:
    stack.newGeneration();
    for (;;) {
        if (stack.empty()) return 0;
        if (++steps > checkpoint && !passCheckpoint()) goto stopped;
        ChoicePoint& point = stack.top();
        const RegexNode* owner = point.node;
        switch (point.kind) {
        case SavedCapture:
            restoreSpan(point);
            stack.pop();
            continue;
        case AltChoice:
            pos = point.pos;
            if (owner->alternative) {
                point.node = owner->alternative;
            } else {
                stack.pop();
            }
            node = owner->next;
            goto step;
        case RepeatChar:
        case RepeatNotChar:
        case RepeatAny:
        case RepeatClass:
        case RepeatNotClass:
        case RepeatSet:
            if (point.pos == point.floor) {
                stack.pop();
                continue;
            }
            if (skips && owner->follow) {
                // Give back straight to the last position where the following test can hold.
                const RegexNode* follow = owner->follow;
                if (const uint8_t* p = findLastAccepted(follow, point.floor, point.pos)) {
                    point.pos = p;
                    pos = p;
                    node = owner->next;
                    goto step;
                }
                stack.pop();
                continue;
            }
            pos = --point.pos;
            node = owner->next;
            goto step;
        case RepeatBackReference:
            if (point.pos == point.floor) {
                stack.pop();
                continue;
            }
            point.pos -= point.saved;
            pos = point.pos;
            node = owner->next;
            goto step;
        case RepeatCharLazy:
        case RepeatNotCharLazy:
        case RepeatAnyLazy:
        case RepeatClassLazy:
        case RepeatNotClassLazy:
        case RepeatSetLazy:
            if (point.count != 0 && point.pos < end && elementAccepts(owner, *point.pos)) {
                ++point.pos;
                if (point.count > 0) --point.count;
                if (skips && owner->follow) point.pos = lazySkip(owner, point.pos, point.count);
                pos = point.pos;
                node = owner->next;
                goto step;
            }
            stack.pop();
            continue;
        case RepeatBackReferenceLazy: {
            const CaptureSpan span = spans[owner->operand];
            const int32_t length = span.end - span.start;
            if (point.count != 0 && span.start >= 0 && length > 0 && length <= end - point.pos &&
                sameText(start + span.start, point.pos, length, ignoreCase_, lower)) {
                point.pos += length;
                if (point.count > 0) --point.count;
                pos = point.pos;
                node = owner->next;
                goto step;
            }
            stack.pop();
            continue;
        }
        case RepeatGroup:
            // Below the minimum the loop cannot be left.
            if (point.saved > 0 || !point.active) {
                stack.pop();
                continue;
            }
            point.active = 0;
            pos = point.pos;
            node = owner->partner->next;
            goto step;
        case RepeatGroupLazy:
            // Below the minimum the point was pushed as its iteration began, and that
            // iteration has been tried in full: running it again would only repeat the work.
            if (point.saved > 0 || point.count == 0 || !point.active) {
                stack.pop();
                continue;
            }
            point.active = 0;
            pos = point.pos;
            if (captures(owner)) setStart(owner, pos);
            pushAlternative(owner, pos);
            node = owner->next;
            goto step;
        case NegLookAhead:
        case NegLookBehind:
            if (point.active) {
                pos = point.pos;
                stack.pop();
                node = owner->partner->next;
                goto step;
            }
            stack.pop();
            continue;
        case Commit:
            return 0;
        default:  // LookAhead, LookBehind: the assertion failed
            stack.pop();
            continue;
        }
    }

stopped:
    errorCode_ = steps > limit ? ErrMatchLimit : ErrMatchAbandoned;
    return 0;
}
