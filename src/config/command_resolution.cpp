#include "config/command_resolution.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "config/folder_messages.h"

namespace {

// Matches the subject with all ten slots, the slots the pattern lacks marked as unused. A
// subject that passed the pattern's gate is not searched for that literal again.
bool matchSlots(Regex& regex, const char* subject, int length, CaptureSlots& slots, bool gatePassed = false) {
    int count = kCaptureSlotCount;
    if (regex.matchRange(subject, subject + length, slots, count, gatePassed) != 1) return false;
    for (int slot = count; slot < kCaptureSlotCount; ++slot) slots[slot] = CaptureSpan{-1, -1};
    return true;
}

bool matchSlots(Regex& regex, const char* subject, CaptureSlots& slots) {
    return matchSlots(regex, subject, static_cast<int>(std::strlen(subject)), slots);
}

// A slot that took part, checked against the subject's length so nothing outside it is read.
bool slotTookPart(const CaptureSlots& slots, int slot, int subjectLength) {
    if (slot < 0 || slot >= kCaptureSlotCount) return false;
    const CaptureSpan& span = slots[slot];
    return span.start >= 0 && span.start <= span.end && span.end <= subjectLength;
}

// The decimal number read at the slot's start, as atoi reads it; fallback when the slot is unused.
int32_t numberAtSlot(const CaptureSlots& slots, int slot, const String& line, int32_t fallback) {
    if (!slotTookPart(slots, slot, line.length())) return fallback;
    const char* digits = line.text() + slots[slot].start;
    // The usual few digits are read here; anything else (a sign, blanks, a long number) by atoi.
    int32_t number = 0;
    for (int i = 0; i < 9; ++i) {
        unsigned digit = unsigned(digits[i] - '0');
        if (digit > 9) return i > 0 ? number : std::atoi(digits);
        number = number * 10 + int32_t(digit);
    }
    return std::atoi(digits);
}

// A pattern that runs past its step budget this often in a round is off for the rest of it:
// against hostile output each line would otherwise cost the whole budget again.
const int32_t kExhaustionsBeforeDisabling = 3;
uint32_t classificationRound = 1;
StringList newlyDisabledPatterns;

bool disabledThisRound(const ParserPattern& pattern) {
    return pattern.exhaustionRound == classificationRound && pattern.exhaustions >= kExhaustionsBeforeDisabling;
}

void noteExhaustion(const Parser& parser, ParserPattern& pattern) {
    if (pattern.exhaustionRound != classificationRound) {
        pattern.exhaustionRound = classificationRound;
        pattern.exhaustions = 0;
    }
    if (++pattern.exhaustions < kExhaustionsBeforeDisabling) return;
    String name(parser.name);
    name.append(": ").append(pattern.expression);
    newlyDisabledPatterns.append(name);
}

// The first pattern of the list that matches the line, with its slots; a pattern whose gate
// the line lacks is ruled out at once.
const ParserPattern* firstMatching(const Parser& parser, List<ParserPattern>& patterns, const String& line,
                                   CaptureSlots& slots, uint32_t passedGates) {
    return patterns.findFirst([&](ParserPattern& pattern) {
        if (pattern.gate >= 0 && !(passedGates >> pattern.gate & 1)) return false;
        if (disabledThisRound(pattern)) return false;
        if (matchSlots(*pattern.regex, line.text(), line.length(), slots, pattern.gate >= 0)) return true;
        if (pattern.regex->errorCode() == ErrMatchLimit) noteExhaustion(parser, pattern);
        return false;
    });
}

// The parser of that name; the last lookup is remembered while the configuration stays.
Parser* findParser(const char* name) {
    static uint64_t generation = 0;
    static String lastName;
    static Parser* lastParser = nullptr;
    Configuration& model = configuration();
    if (model.generation == generation && lastName.text() && std::strcmp(lastName.text(), name) == 0) return lastParser;
    std::unique_ptr<Parser>* entry = model.parsers.find(name);
    generation = model.generation;
    lastName.assign(name);
    lastParser = entry ? entry->get() : nullptr;
    return lastParser;
}

// The text that the bulk search of a parser's gates is fitted to, from the first line on.
const size_t kBulkSampleLength = 64 << 10;

// The line's classification, given the parser's gates that it passes.
int classifyPassing(Parser& parser, const String& line, LineMatch& match, uint32_t passedGates) {
    if (!passedGates && parser.everyPatternGated) return MatchNone;
    CaptureSlots slots;
    int kind = MatchError;
    const ParserPattern* pattern = firstMatching(parser, parser.errors, line, slots, passedGates);
    if (!pattern) {
        kind = MatchWarning;
        pattern = firstMatching(parser, parser.warnings, line, slots, passedGates);
    }
    if (!pattern && parser.notes.count() > 0) {
        kind = MatchNote;
        pattern = firstMatching(parser, parser.notes, line, slots, passedGates);
    }
    if (!pattern) return MatchNone;

    match.kind = kind;
    if (slotTookPart(slots, pattern->file, line.length())) {
        const CaptureSpan& file = slots[pattern->file];
        match.file.assignBytes(line.text() + file.start, file.end - file.start);
    } else {
        match.file.assign("");
    }
    match.line = numberAtSlot(slots, pattern->line, line, 0);
    match.column = pattern->pos < 0 ? -1 : numberAtSlot(slots, pattern->pos, line, -1);
    return kind;
}

int classifyWith(Parser& parser, const String& line, LineMatch& match) {
    if (!line.text()) return MatchNone;
    return classifyPassing(parser, line, match, parser.gates.passing(line.text(), line.text() + line.length()));
}

// The parser's gates with that of the folder messages, so that one search of the stored text
// finds the lines of both; nullptr when they do not fit in one set.
RegexGateSet* trackingGatesOf(Parser& parser) {
    if (parser.trackingGatesTried) return parser.trackingGates.get();
    parser.trackingGatesTried = true;
    std::unique_ptr<RegexGateSet> gates(new RegexGateSet);
    // Into an empty set the parser's gates go in their order: their numbers stay.
    if (!gates->addGatesOf(parser.gates)) return nullptr;
    parser.folderGate = gates->add(FolderMessagePattern());
    if (parser.folderGate < 0) return nullptr;
    parser.trackingGates = std::move(gates);
    return parser.trackingGates.get();
}

// Lines from the start of the output that a detection looks at before it searches the rest for
// all parsers still in question at once.
const int kEarlyLines = 4096;

// Lets the gates' search of many lines know the output by a sample from its start.
void fitToLines(RegexGateSet& gates, StringList& lines) {
    if (lines.count() == 0) return;
    const String& firstLine = *lines.at(0);
    const char* from = firstLine.text() ? firstLine.text() : "";
    size_t length = size_t(lines.regionOf(firstLine).end - from);
    gates.fitBulkSearch(from, length < kBulkSampleLength ? length : kBulkSampleLength);
}

// Tells, of lines stored one after another, which may hold one of the gates: the text they are
// stored in is searched many lines at a time for the places where gates start, and a line with
// none of them is passed over with one comparison. Addresses are compared as numbers, as a text
// may lie in another block.
class CandidateLineFilter {
public:
    CandidateLineFilter(const RegexGateSet& gates, StringList& lines) : gates_(gates), lines_(lines) {}

    // True for a line that certainly holds no gate, known without a search.
    bool passesOver(const String& line) const {
        uintptr_t address = reinterpret_cast<uintptr_t>(line.text());
        return address >= coveredFrom_ && address + uintptr_t(line.length()) <= nextPlace_;
    }
    // The gates the line passes (RegexGateSet::passing), after mayHoldGate said it may hold
    // one: from the places the last search found in it where those are all of them.
    uint32_t passing(const String& line) const {
        const char* text = line.text();
        uintptr_t address = reinterpret_cast<uintptr_t>(text);
        uintptr_t lineEnd = address + uintptr_t(line.length());
        if (!gates_.findsEveryPlace() || !searchedFrom_ || address < searchedFrom_ || lineEnd > complete_) {
            return gates_.passing(text, text + line.length());
        }
        uint32_t inLine[kPlacesAtOnce + RegexNeedleFinder::kMostInBlock];
        size_t count = 0;
        for (size_t i = next_; i < count_ && searchedFrom_ + places_[i] < lineEnd; ++i) {
            if (searchedFrom_ + places_[i] >= address) inLine[count++] = uint32_t(searchedFrom_ + places_[i] - address);
        }
        return gates_.passingAt(text, text + line.length(), inLine, count);
    }
    // Whether the line may hold a gate; searches on from the line when the last search does not
    // tell.
    __attribute__((noinline)) bool mayHoldGate(const String& line) {
        const char* text = line.text();
        if (!text) return true;
        uintptr_t address = reinterpret_cast<uintptr_t>(text);
        uintptr_t lineEnd = address + uintptr_t(line.length());
        if (!region_.holds(text)) {
            region_ = lines_.regionOf(line);
            searchedFrom_ = 0;
        }
        if (!searchedFrom_ || address < searchedFrom_ || address >= complete_) search(text);
        if (lookFrom(address) >= lineEnd) return false;
        // A place in the line; or none up to where the search is sure, which the line runs past.
        if (next_ < count_ || searchedFrom_ == address) return true;
        search(text);
        return lookFrom(address) < lineEnd;
    }

private:
    static const size_t kPlacesAtOnce = 64;

    void search(const char* text) {
        size_t complete = 0;
        count_ = gates_.gatesFrom(text, region_.end, places_, kPlacesAtOnce, &complete);
        next_ = 0;
        searchedFrom_ = reinterpret_cast<uintptr_t>(text);
        complete_ = searchedFrom_ + complete;
    }
    // The first place at or after address that the last search found, or where it stops being
    // sure when none is left; lines from address on that end by it hold no gate.
    uintptr_t lookFrom(uintptr_t address) {
        while (next_ < count_ && searchedFrom_ + places_[next_] < address) ++next_;
        coveredFrom_ = address;
        nextPlace_ = next_ < count_ ? searchedFrom_ + places_[next_] : complete_;
        return nextPlace_;
    }

    const RegexGateSet& gates_;
    StringList& lines_;
    StringList::TextRegion region_{nullptr, nullptr};
    // The last search: from searchedFrom_ it found places_[0, count_), all that start before
    // complete_; next_ is the first of them not behind the lines looked at.
    uintptr_t searchedFrom_ = 0;
    uintptr_t complete_ = 0;
    uint32_t places_[kPlacesAtOnce + RegexNeedleFinder::kMostInBlock];
    size_t count_ = 0;
    size_t next_ = 0;
    // No place lies in [coveredFrom_, nextPlace_).
    uintptr_t coveredFrom_ = 0;
    uintptr_t nextPlace_ = 0;
};

// Calls visit(index, line, passed) for the lines in [first, end) that have text and may hold
// one of the gates, with the gates they pass, until it returns false. With bulk (when every
// pattern has a gate), the lines that lack them all are passed over by searching the text they
// are stored in; without, every line is visited.
template <typename Visit>
void visitCandidateLines(const RegexGateSet& gates, bool bulk, StringList& lines, int first, int end, Visit visit) {
    CandidateLineFilter filter(gates, lines);
    lines.visitFrom(first, [&](int index, const String& line) {
        if (index >= end) return false;
        if (!line.text()) return true;
        if (!bulk) return visit(index, line, gates.passing(line.text(), line.text() + line.length()));
        // Gates that must begin a line are not searched for: each line's start is looked at.
        bool leads = gates.passingAtStart(line.text(), line.text() + line.length()) != 0;
        if (!leads && (filter.passesOver(line) || !filter.mayHoldGate(line))) return true;
        return visit(index, line, filter.passing(line));
    });
}

}  // namespace

namespace {

// The texts of the slots that took part in the match of the subject.
void capturePlaceholders(const CaptureSlots& slots, const char* subject, PlaceholderTexts& texts) {
    int subjectLength = static_cast<int>(std::strlen(subject));
    for (int slot = 0; slot < PlaceholderTexts::kSlotCount; ++slot) {
        texts.slot[slot] = String();
        if (slotTookPart(slots, slot, subjectLength)) {
            texts.slot[slot].assignPart(subject, slots[slot].start, slots[slot].end - slots[slot].start);
        }
    }
}

}  // namespace

int FindCommandsForFile(const String& file, List<BuildCommand>& commands) {
    FileTypeList& types = configuration().fileTypes;
    const char* subject = file.text() ? file.text() : "";
    for (int t = 0; t < types.count(); ++t) {
        FileType* type = *types.at(t);
        CaptureSlots slots;
        if (!matchSlots(*type->regex, subject, slots)) continue;
        for (int c = 0; c < type->commands.count(); ++c) {
            BuildCommand& copy = commands.append(**type->commands.at(c));
            capturePlaceholders(slots, subject, copy.placeholders);
        }
    }
    return commands.count();
}

int ResolvePrefixCommand(const char* prefix, const char* argument, BuildCommand& command) {
    PrefixEntry* entry = configuration().prefixes.find(prefix);
    if (!entry) return 0;
    command = *entry->command;
    CaptureSlots slots;
    if (!matchSlots(*entry->type->regex, argument, slots)) return 0;
    capturePlaceholders(slots, argument, command.placeholders);
    return 1;
}

void StartClassificationRound() {
    ++classificationRound;
    newlyDisabledPatterns.clear();
}

void TakeDisabledPatterns(StringList& names) {
    for (int i = 0; i < newlyDisabledPatterns.count(); ++i) names.append(*newlyDisabledPatterns.at(i));
    newlyDisabledPatterns.clear();
}

int ClassifyLine(const char* parserName, const String& line, LineMatch& match) {
    Parser* parser = findParser(parserName ? parserName : "");
    return parser ? classifyWith(*parser, line, match) : MatchNone;
}

int ParserColumnKind(const char* parserName) {
    Parser* parser = findParser(parserName ? parserName : "");
    return parser ? parser->columns : ColumnCharacters;
}

void ClassifyStoredLines(const char* parserName, StringList& lines, int first,
                         const std::function<bool(int, LineMatch&)>& matched,
                         const std::function<void(const String&, FolderChange, const CaptureSpan&)>& folderChanged) {
    Parser* parser = findParser(parserName ? parserName : "");
    if (!parser) return;
    // One match for all lines: the buffer of its file name is used again.
    LineMatch match;
    RegexGateSet* tracking = folderChanged ? trackingGatesOf(*parser) : nullptr;
    if (folderChanged && !tracking) {
        // Too many gates for one set: every line is looked at.
        lines.visitFrom(first, [&](int index, const String& line) {
            CaptureSpan folder;
            if (FolderChange change = ReadFolderChange(line, folder)) folderChanged(line, change, folder);
            return !classifyWith(*parser, line, match) || matched(index, match);
        });
        return;
    }
    if (!tracking) {
        if (first <= 0) fitToLines(parser->gates, lines);
        visitCandidateLines(parser->gates, parser->everyPatternGated, lines, first, lines.count(),
                            [&](int index, const String& line, uint32_t passed) {
                                return !classifyPassing(*parser, line, match, passed) || matched(index, match);
                            });
        return;
    }
    if (first <= 0) fitToLines(*tracking, lines);
    uint32_t folderBit = 1u << parser->folderGate;
    visitCandidateLines(*tracking, parser->everyPatternGated, lines, first, lines.count(),
                        [&](int index, const String& line, uint32_t passed) {
                            CaptureSpan folder;
                            FolderChange change = passed & folderBit ? ReadFolderChange(line, folder) : FolderUnchanged;
                            // Classified all the same, as a line is wherever it is looked at.
                            if (change) folderChanged(line, change, folder);
                            // The folder gate's bit is no pattern's: the patterns pass over it.
                            return !classifyPassing(*parser, line, match, passed) || matched(index, match);
                        });
}

void FindParsersMatchingLines(StringList& names, StringList& lines, StringList& matching) {
    struct Candidate {
        Parser* parser;
        bool found;
        uint32_t unitedMask;  // the bits of its patterns' gates in the united set
    };
    std::vector<Candidate> candidates;
    for (int i = 0; i < names.count(); ++i) candidates.push_back(Candidate{findParser(names.at(i)->text()), false, 0});
    auto lookFor = [&lines](Candidate& candidate, int first, int end) {
        visitCandidateLines(candidate.parser->gates, candidate.parser->everyPatternGated, lines, first, end,
                            [&candidate](int, const String& line, uint32_t passed) {
                                LineMatch match;
                                candidate.found = classifyPassing(*candidate.parser, line, match, passed) != MatchNone;
                                return !candidate.found;
                            });
    };
    // Most parsers that match an output at all match near its start.
    int early = lines.count() < kEarlyLines ? lines.count() : kEarlyLines;
    for (Candidate& candidate : candidates) {
        if (!candidate.parser) continue;
        fitToLines(candidate.parser->gates, lines);
        lookFor(candidate, 0, early);
    }
    // The others with gates for every pattern are searched for together: a line is classified
    // only where a literal of one of them stands. Each pattern is known there by its literal
    // found least often in the lines already looked at, which none of them matched (a gcc log
    // holds ": error:" everywhere and ".java:" nowhere).
    std::string sample;
    lines.visitFrom(0, [&sample, early](int index, const String& line) {
        if (index >= early || sample.size() >= kBulkSampleLength) return false;
        sample.append(line.text() ? line.text() : "", size_t(line.length())).push_back('\n');
        return true;
    });
    RegexGateSet united;
    std::vector<Candidate*> together;
    for (Candidate& candidate : candidates) {
        if (!candidate.parser || candidate.found) continue;
        RegexGateSet rarest;
        bool gated = candidate.parser->everyPatternGated;
        for (List<ParserPattern>* patterns :
             {&candidate.parser->errors, &candidate.parser->warnings, &candidate.parser->notes}) {
            for (int i = 0; gated && i < patterns->count(); ++i) {
                gated = rarest.addRarestIn(*patterns->at(i)->regex, sample.data(), sample.size()) >= 0;
            }
        }
        std::vector<int> places;
        if (gated && united.addGatesOf(rarest, &places)) {
            for (int gate : places) candidate.unitedMask |= 1u << gate;
            together.push_back(&candidate);
        } else {
            lookFor(candidate, early, lines.count());
        }
    }
    if (!together.empty()) {
        fitToLines(united, lines);
        size_t left = together.size();
        visitCandidateLines(united, true, lines, early, lines.count(), [&](int, const String& line, uint32_t passed) {
            for (Candidate* candidate : together) {
                LineMatch match;
                if (candidate->found || !(passed & candidate->unitedMask)) continue;
                // Its own gates may be other literals: the line is looked at for them.
                if (!classifyWith(*candidate->parser, line, match)) continue;
                candidate->found = true;
                --left;
            }
            return left > 0;
        });
    }
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (candidates[i].found) matching.append(*names.at(int(i)));
    }
}
