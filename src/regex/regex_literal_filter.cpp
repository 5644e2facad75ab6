// Required literals: byte strings that every match contains, in pattern order and without
// overlapping. Most subjects lack one of them, and a memchr-driven search rejects those without
// running the program.

#include <cstring>

#include "regex/regex.h"
#include "regex/regex_program.h"

namespace {

constexpr size_t kMaxRequiredRuns = 8;
constexpr int32_t kMaxRunLength = 64;

}  // namespace

// Walks the top-level sequence, which every successful run passes in order. Adjacent literals
// form one run; anything that consumes a varying amount ends a run, and constructs that may be
// skipped or repeated are stepped over whole. A look-behind can move the position back, so the
// walk stops there.
void Regex::findRequiredLiterals() {
    requiredFolded_ = ignoreCase_;
    if (program_[0].alternative) return;
    std::string run;
    auto endRun = [&] {
        if (!run.empty() && requiredLengths_.size() < kMaxRequiredRuns) {
            requiredBytes_ += run;
            requiredLengths_.push_back(int32_t(run.size()));
        }
        run.clear();
    };
    const RegexNode* node = program_ + 1;
    while (node->kind != Accept) {
        switch (node->kind) {
        case Char:
        case CharFold:
            if (int32_t(run.size()) == kMaxRunLength) endRun();
            run += char(node->operand);
            node = node->next;
            break;
        case RepeatChar:
        case RepeatCharLazy:
        {
            int32_t copies = node->min < kMaxRunLength ? node->min : kMaxRunLength;
            for (int32_t i = 0; i < copies; ++i) {
                if (int32_t(run.size()) == kMaxRunLength) endRun();
                run += char(node->operand);
            }
            // Copies left out or optional ones break the adjacency to what follows.
            if (copies < node->min || node->max != node->min) endRun();
        }
            node = node->next;
            break;
        case GroupOpen:
            if (node->alternative) {
                endRun();
                node = node->partner->next;
            } else {
                node = node->next;
            }
            break;
        case GroupClose:
        case TextStart:
        case TextEnd:
        case LineStart:
        case WordBoundary:
        case NotWordBoundary:
        case Commit:
            node = node->next;
            break;
        case LookBehind:
            endRun();
            return;
        case LookAhead:
        case NegLookAhead:
        case NegLookBehind:
        case RepeatGroup:
        case RepeatGroupLazy:
            endRun();
            node = node->partner->next;
            break;
        default:
            endRun();
            node = node->next;
            break;
        }
    }
    endRun();
}

bool Regex::containsRequiredLiterals(const uint8_t* begin, const uint8_t* end) const {
    const uint8_t* run = reinterpret_cast<const uint8_t*>(requiredBytes_.data());
    const uint8_t* p = begin;
    for (int32_t length : requiredLengths_) {
        if (end - p < length) return false;
        const uint8_t* lastStart = end - length;
        const uint8_t first = run[0];
        if (!requiredFolded_) {
            for (;;) {
                const void* hit = std::memchr(p, first, size_t(lastStart - p + 1));
                if (!hit) return false;
                p = static_cast<const uint8_t*>(hit);
                if (std::memcmp(p + 1, run + 1, size_t(length - 1)) == 0) break;
                if (++p > lastStart) return false;
            }
        } else {
            for (;;) {
                if (lowerTable_[*p] == first) {
                    int32_t i = 1;
                    while (i < length && lowerTable_[p[i]] == run[i]) ++i;
                    if (i == length) break;
                }
                if (++p > lastStart) return false;
            }
        }
        p += length;
        run += length;
    }
    return true;
}

std::vector<std::string> Regex::requiredLiterals() const {
    std::vector<std::string> runs;
    size_t at = 0;
    for (int32_t length : requiredLengths_) {
        runs.push_back(requiredBytes_.substr(at, size_t(length)));
        at += size_t(length);
    }
    return runs;
}
