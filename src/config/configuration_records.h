#pragma once

#include <cstdint>
#include <memory>

#include "config/name_map.h"
#include "foundation/list.h"
#include "foundation/text_string.h"
#include "regex/regex_gate_set.h"

class Regex;

// Console colour indices of the output window.
struct ColorSet {
    int32_t background = 0;
    int32_t text = 7;
    int32_t error = 12;
    int32_t warning = 10;
    int32_t numbers = 15;
};

struct Options {
    int32_t shownumbers = 0;
    int32_t autodelete = 0;
    int32_t beep = 0;
    int32_t beeptime = 0;
    String wavefile{""};
};

// One error or warning entry of a parser: a pattern and the capture slots it reads.
struct ParserPattern {
    Regex* regex = nullptr;  // owned by the parser
    int32_t file = -1;
    int32_t line = -1;
    int32_t pos = -1;
    int32_t gate = -1;  // which of the parser's gate checks decides first, -1 for none
    String expression;  // as configured, to name the pattern
    // How often the pattern ran past its step budget in the classification round given.
    uint32_t exhaustionRound = 0;
    int32_t exhaustions = 0;
};

struct Parser {
    Parser() = default;
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;
    ~Parser();

    String name;
    List<ParserPattern> errors;
    List<ParserPattern> warnings;
    // The gates of all its patterns: a line is scanned once for all of them. A line that passes
    // none is ruled out at once when every pattern has a gate.
    RegexGateSet gates;
    bool everyPatternGated = true;
};

// The texts a command's $0..$9 stand for: what the file type's pattern captured of the file
// name. A slot the pattern did not fill has no text (null), and stands for nothing.
struct PlaceholderTexts {
    static const int kSlotCount = 10;
    String slot[kSlotCount];
};

struct BuildCommand {
    String name;
    String parser;
    String command;  // as configured: the names go in only when it runs
    PlaceholderTexts placeholders;
};

struct FileType {
    FileType() = default;
    FileType(const FileType&) = delete;
    FileType& operator=(const FileType&) = delete;
    ~FileType();

    Regex* regex = nullptr;  // owned
    List<BuildCommand*> commands;  // owned
};

// The file types in file order; the list owns them.
class FileTypeList : public List<FileType*> {
public:
    ~FileTypeList() override { releaseAll(); }
    void releaseAll();
};

// The command registered for a host command-line prefix; both refer into the file types.
struct PrefixEntry {
    FileType* type = nullptr;
    BuildCommand* command = nullptr;
};

using ParserTable = NameMap<std::unique_ptr<Parser>>;
using PrefixTable = NameMap<PrefixEntry>;
