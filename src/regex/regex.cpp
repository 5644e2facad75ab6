#include "regex/regex.h"

#include <cctype>
#include <cstring>

#include "regex/regex_program.h"

Regex::Regex() {
    for (int c = 0; c < 256; ++c) {
        lowerTable_[c] = static_cast<uint8_t>(std::tolower(c));
        upperTable_[c] = static_cast<uint8_t>(std::toupper(c));
        uint8_t bits = 0;
        if (std::isdigit(c)) bits |= CcDigit;
        if (std::isspace(c)) bits |= CcSpace;
        if (std::isalnum(c) || c == '_') bits |= CcWord;
        if (lowerTable_[c] == c && upperTable_[c] != c) bits |= CcLower;
        if (upperTable_[c] == c && lowerTable_[c] != c) bits |= CcUpper;
        if (std::isalpha(c)) bits |= CcAlpha;
        charClassTable_[c] = bits;
    }
    std::memset(classSets_, 0, sizeof classSets_);
    for (int k = 0; k < 6; ++k) {
        for (int c = 0; c < 256; ++c) {
            if (charClassTable_[c] & (1 << k)) setAdd(classSets_[k], static_cast<uint8_t>(c));
        }
    }
    firstChunk_ = new ChoiceChunk();
}

Regex::~Regex() {
    freeProgram();
    ChoiceChunk* chunk = firstChunk_;
    while (chunk) {
        ChoiceChunk* next = chunk->next;
        delete chunk;
        chunk = next;
    }
}

void Regex::freeProgram() {
    if (program_) {
        for (int32_t i = 0; i < programSize_; ++i) delete[] program_[i].set;
        delete[] program_;
    }
    program_ = nullptr;
    programSize_ = 0;
    resetAnalyses();
}

void Regex::resetAnalyses() {
    std::memset(firstChars_, 0, sizeof firstChars_);
    firstCharsValid_ = false;
    trimElement_ = nullptr;
    requiredBytes_.clear();
    requiredRuns_.clear();
    requiredAlternatives_.clear();
    gateRun_ = -1;
    leadingRun_ = -1;
    alternativesLead_ = false;
    charRunText_.clear();
    requiredFolded_ = false;
}
