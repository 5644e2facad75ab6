// Runs of adjacent literals: the matcher compares a whole run in one step instead of taking
// one element per character. A literal does nothing but consume its character, so the result
// is the same.

#include <vector>

#include "regex/regex.h"
#include "regex/regex_program.h"

void Regex::linkCharRuns() {
    // The text is gathered first: the nodes point into it only once it stops growing.
    charRunText_.clear();
    std::vector<int32_t> offsets(size_t(programSize_), -1);
    for (int32_t i = 0; i < programSize_; ++i) {
        if (program_[i].kind != Char) continue;
        offsets[size_t(i)] = int32_t(charRunText_.size());
        charRunText_ += char(program_[i].operand);
    }
    for (int32_t i = programSize_ - 1; i >= 0; --i) {
        RegexNode& node = program_[i];
        if (node.kind != Char) continue;
        const RegexNode* next = node.next;
        node.runLength = (next && next->kind == Char) ? next->runLength + 1 : 1;
        node.runText = reinterpret_cast<const uint8_t*>(charRunText_.data()) + offsets[size_t(i)];
    }
}
