// Required literals: byte strings that every match contains, in pattern order and without
// overlapping. Most subjects lack one of them, and a memchr-driven search rejects those without
// running the program.

#include <cstring>

#include "regex/regex.h"
#include "regex/regex_byte_frequency.h"
#include "regex/regex_program.h"

namespace {

constexpr size_t kMaxRequiredRuns = 8;
constexpr int32_t kMaxRunLength = 64;
constexpr size_t kMaxRequiredAlternatives = 8;

}  // namespace

// Walks the top-level sequence, which every successful run passes in order. Adjacent literals
// form one run; anything that consumes a varying amount ends a run, and constructs that may be
// skipped are stepped over whole. A loop that must run at least once is walked through as its
// first iteration, which every match passes; its end breaks the adjacency. A look-behind can
// move the position back, so the walk stops there.
void Regex::findRequiredLiterals() {
    requiredFolded_ = ignoreCase_;
    if (program_[0].alternative) return;
    std::string run;
    // How far from the match's start the walk stands, -1 once that varies; and where the run
    // being gathered starts.
    int32_t offset = 0;
    int32_t runStart = -1;
    auto addToRun = [&](uint8_t byte) {
        if (run.empty()) runStart = offset;
        run += char(byte);
        if (offset >= 0) ++offset;
    };
    auto endRun = [&] {
        if (!run.empty() && requiredRuns_.size() < kMaxRequiredRuns) {
            if (runStart == 0 && requiredRuns_.empty()) leadingRun_ = 0;
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
                if (searchable(c) && (anchor < 0 || byteCommonness(c) < byteCommonness(uint8_t(run[size_t(anchor)])))) anchor = i;
            }
            int32_t pair = requiredFolded_ ? -1 : rarestPair(run.data(), int32_t(run.size()));
            requiredRuns_.push_back(RequiredRun{int32_t(requiredBytes_.size()), int32_t(run.size()), anchor, pair});
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
            addToRun(uint8_t(node->operand));
            node = node->next;
            break;
        case RepeatChar:
        case RepeatCharLazy:
        {
            int32_t copies = node->min < kMaxRunLength ? node->min : kMaxRunLength;
            for (int32_t i = 0; i < copies; ++i) {
                if (int32_t(run.size()) == kMaxRunLength) endRun();
                addToRun(uint8_t(node->operand));
            }
            // Copies left out or optional ones break the adjacency to what follows.
            if (copies < node->min || node->max != node->min) {
                endRun();
                offset = -1;
            }
        }
            node = node->next;
            break;
        case GroupOpen:
            if (node->alternative) {
                noteRequiredAlternatives(node, offset == 0);
                endRun();
                offset = -1;
                node = node->partner->next;
            } else {
                node = node->next;
            }
            break;
        case GroupClose:
            if (node->partner->kind != GroupOpen) {
                endRun();
                offset = -1;
            }
            node = node->next;
            break;
        case RepeatGroup:
        case RepeatGroupLazy:
            if (node->min > 0 && !node->alternative) {
                node = node->next;
            } else {
                endRun();
                offset = -1;
                node = node->partner->next;
            }
            break;
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
            endRun();
            node = node->partner->next;
            break;
        default:
            endRun();
            offset = -1;
            node = node->next;
            break;
        }
    }
    endRun();
    chooseGateRun();
}

// The first group with branches that all begin with literals of two or more exact bytes gives
// the alternatives: every match passes the group, so it contains one of them.
void Regex::noteRequiredAlternatives(const RegexNode* group, bool atStart) {
    if (!requiredAlternatives_.empty() || ignoreCase_) return;
    std::vector<std::string> alternatives;
    for (const RegexNode* branch = group; branch; branch = branch->alternative) {
        if (alternatives.size() == kMaxRequiredAlternatives) return;
        std::string literal;
        for (const RegexNode* node = branch->next; node->kind == Char && literal.size() < size_t(kMaxRunLength); node = node->next) {
            literal += char(node->operand);
        }
        if (literal.size() < 2) return;
        alternatives.push_back(literal);
    }
    requiredAlternatives_ = alternatives;
    alternativesLead_ = atStart;
}

// The longest run, the one with the rarer anchor among equals, tells most subjects apart.
void Regex::chooseGateRun() {
    gateRun_ = -1;
    if (requiredRuns_.size() < 2) return;
    auto rarity = [this](const RequiredRun& run) {
        return run.anchor < 0 ? 1000 : byteCommonness(uint8_t(requiredBytes_[size_t(run.offset + run.anchor)]));
    };
    size_t best = 0;
    for (size_t i = 1; i < requiredRuns_.size(); ++i) {
        const RequiredRun& candidate = requiredRuns_[i];
        const RequiredRun& chosen = requiredRuns_[best];
        if (candidate.length > chosen.length || (candidate.length == chosen.length && rarity(candidate) < rarity(chosen))) {
            best = i;
        }
    }
    gateRun_ = int32_t(best);
}

std::vector<std::string> Regex::requiredLiterals() const {
    std::vector<std::string> runs;
    for (const RequiredRun& run : requiredRuns_) runs.push_back(requiredBytes_.substr(size_t(run.offset), size_t(run.length)));
    return runs;
}
