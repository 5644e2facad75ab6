// Required literals: byte strings that every match contains, in pattern order and without
// overlapping. Most subjects lack one of them, and a memchr-driven search rejects those without
// running the program.

#include <cstring>

#include "regex/regex.h"
#include "regex/regex_program.h"

namespace {

constexpr size_t kMaxRequiredRuns = 8;
constexpr int32_t kMaxRunLength = 64;

// How common a byte is in compiler output, 0 for rare: the search looks for the least common
// byte of a run, so that it stops at few false candidates.
int commonness(uint8_t c) {
    static const char kByFrequency[] = " etaoinsrhldcumfpgwybvkxjqz0123456789_/.-,()'=;\"ETAOINSRHLDCUMFPGWYBVKXJQZ";
    const char* found = static_cast<const char*>(std::memchr(kByFrequency, c, sizeof kByFrequency - 1));
    return found ? int(sizeof kByFrequency) - int(found - kByFrequency) : 0;
}

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
        if (!run.empty() && requiredRuns_.size() < kMaxRequiredRuns) {
            // A folded run can only be found by a byte that no other byte folds to.
            auto searchable = [this](uint8_t c) {
                if (!requiredFolded_) return true;
                for (int d = 0; d < 256; ++d) {
                    if (d != c && lowerTable_[d] == c) return false;
                }
                return lowerTable_[c] == c;
            };
            int32_t anchor = -1;
            for (int32_t i = 0; i < int32_t(run.size()); ++i) {
                uint8_t c = uint8_t(run[size_t(i)]);
                if (searchable(c) && (anchor < 0 || commonness(c) < commonness(uint8_t(run[size_t(anchor)])))) anchor = i;
            }
            requiredRuns_.push_back(RequiredRun{int32_t(requiredBytes_.size()), int32_t(run.size()), anchor});
            requiredBytes_ += run;
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

std::vector<std::string> Regex::requiredLiterals() const {
    std::vector<std::string> runs;
    for (const RequiredRun& run : requiredRuns_) runs.push_back(requiredBytes_.substr(size_t(run.offset), size_t(run.length)));
    return runs;
}
