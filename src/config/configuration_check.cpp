// Checks a configuration text against the rules the loader applies, and names the place of
// every finding. It parses its own copy of the text, so the loaded configuration is untouched.
#include "config/configuration_check.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

#include "regex/regex.h"
#include "xml/xml_query.h"
#include "xml/xml_reader.h"

namespace {

const uint32_t kPatternFlags = RegexDelimited | RegexFirstChars;

const char* const kNoAttributes[] = {nullptr};
const char* const kSections[] = {"colors", "options", "parsers", "types", nullptr};
const char* const kColorAttributes[] = {"background", "text", "error", "warning", "numbers", nullptr};
const char* const kOptionAttributes[] = {"shownumbers", "autodelete", "beep", "beeptime", "wavefile", nullptr};
const char* const kEntryAttributes[] = {"pattern", "file", "line", "pos", nullptr};
const char* const kFileTypeAttributes[] = {"filename", nullptr};
const char* const kCommandAttributes[] = {"name", "parser", "prefix", nullptr};

bool listed(const char* const* names, const char* name) {
    for (; *names; ++names) {
        if (std::strcmp(*names, name) == 0) return true;
    }
    return false;
}

std::string quoted(const char* const* names) {
    std::string text;
    for (; *names; ++names) text += std::string(text.empty() ? "" : ", ") + *names;
    return text;
}

const char* regexErrorText(int code) {
    switch (code) {
        case ErrSyntax: return "not in the form /expression/letters, or a misplaced character";
        case ErrUnbalanced: return "a bracket or parenthesis is not closed or not opened";
        case ErrTooComplex: return "too complex";
        case ErrBadOption: return "an unknown option letter (only i, m, o, s, x)";
        case ErrBadBackReference: return "a back-reference to a group that does not exist";
        case ErrUnknownEscape: return "an unknown escape";
        case ErrBadCount: return "a bad repetition count";
        case ErrNothingToRepeat: return "a repetition of nothing";
        case ErrCaptureCapacity: return "too many groups";
        default: return "it does not compile";
    }
}

class Checker {
public:
    explicit Checker(const char* text) : text_(text) {}

    std::vector<ConfigurationFinding> run();

private:
    void report(bool problem, const char* at, const std::string& text);
    const char* startOf(const XmlNode* element) const;
    // Where the attribute's value begins in the text, or the element's start when not found.
    const char* valueOf(const XmlNode* element, const char* attribute) const;
    void checkAttributes(const XmlNode* element, const char* const* known, const std::string& what);
    void checkSection(const XmlNode* root, const char* name, const char* const* known);
    bool checkPattern(const XmlNode* element, const char* attribute, const std::string& what, int* groups);
    void checkParsers(const XmlNode* root);
    void checkEntry(const XmlNode* entry, const std::string& what, bool* parserDisabled);
    void checkTypes(const XmlNode* root);
    void checkCommand(const XmlNode* command, const std::string& what);
    void numberElements(const XmlNode* node);

    const char* text_;
    XmlParseTrace trace_;
    std::map<const XmlNode*, size_t> elementOrder_;
    std::map<std::string, std::string> parserNames_;       // name -> where it was defined
    std::map<std::string, std::string> prefixOwners_;      // prefix -> the command that has it
    std::vector<std::pair<const XmlNode*, std::string>> commandParsers_;  // checked once all are known
    std::vector<ConfigurationFinding> findings_;
};

void Checker::report(bool problem, const char* at, const std::string& text) {
    ConfigurationFinding finding{problem, 0, 0, text};
    if (at) {
        finding.line = 1;
        const char* lineStart = text_;
        for (const char* c = text_; c < at; ++c) {
            if (*c == '\n') {
                ++finding.line;
                lineStart = c + 1;
            }
        }
        finding.column = static_cast<int>(at - lineStart) + 1;
    }
    findings_.push_back(finding);
}

void Checker::numberElements(const XmlNode* node) {
    for (const XmlNode* child = node->firstChild; child; child = child->next) {
        if (!child->isElement()) continue;
        size_t order = elementOrder_.size();
        elementOrder_[child] = order;
        numberElements(child);
    }
}

const char* Checker::startOf(const XmlNode* element) const {
    auto found = elementOrder_.find(element);
    if (found == elementOrder_.end() || found->second >= trace_.elementStarts.size()) return nullptr;
    return trace_.elementStarts[found->second];
}

const char* Checker::valueOf(const XmlNode* element, const char* attribute) const {
    const char* start = startOf(element);
    if (!start) return nullptr;
    const char* tagEnd = std::strchr(start, '>');
    size_t length = std::strlen(attribute);
    char quote = 0;
    for (const char* c = start; *c && (quote || c != tagEnd); ++c) {
        if (quote) {
            if (*c == quote) quote = 0;
            continue;
        }
        if (*c == '"' || *c == '\'') {
            quote = *c;
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c[-1])) && std::strncmp(c, attribute, length) == 0 &&
            c[length] == '=') {
            return c + length + 2;
        }
        if (!tagEnd) break;
    }
    return start;
}

void Checker::checkAttributes(const XmlNode* element, const char* const* known, const std::string& what) {
    if (!element->attributes) return;
    for (int i = 0; i < element->attributes->count(); ++i) {
        const char* name = element->attributes->nameAt(i);
        if (listed(known, name)) continue;
        const char* value = valueOf(element, name);
        report(false, value && value != startOf(element) ? value - std::strlen(name) - 2 : value,
               what + ": unknown attribute " + name + "= is ignored (known: " + quoted(known) + ")");
    }
}

void Checker::checkSection(const XmlNode* root, const char* name, const char* const* known) {
    for (const XmlNode* child = root->firstChild; child; child = child->next) {
        if (child->isElement() && std::strcmp(child->name, name) == 0) {
            checkAttributes(child, known, std::string("<") + name + ">");
            return;
        }
    }
}

bool Checker::checkPattern(const XmlNode* element, const char* attribute, const std::string& what, int* groups) {
    const char* pattern = xmlAttribute(element, attribute);
    Regex regex;
    if (regex.compile(pattern, kPatternFlags)) {
        if (groups) *groups = regex.groupCount() - 1;
        return true;
    }
    // The error's place counts inside the delimiters except for an option letter.
    const char* value = valueOf(element, attribute);
    int offset = regex.errorPos() + (pattern[0] == '/' && regex.errorCode() != ErrBadOption ? 1 : 0);
    int length = static_cast<int>(std::strlen(pattern));
    if (offset > length) offset = length;
    // The value as written may differ from the decoded one (entities); then only its start is sure.
    bool exact = value && value != startOf(element) && std::strncmp(value, pattern, static_cast<size_t>(offset)) == 0;
    report(true, exact ? value + offset : value,
           what + ": the pattern " + pattern + " does not compile: " + regexErrorText(regex.errorCode()) +
               " (at its character " + std::to_string(offset + 1) + ")" +
               (groups ? ", which disables the parser" : ", so the file type is ignored"));
    return false;
}

void Checker::checkEntry(const XmlNode* entry, const std::string& what, bool* parserDisabled) {
    checkAttributes(entry, kEntryAttributes, what);
    bool valid = true;
    for (const char* required : {"pattern", "file", "line"}) {
        if (xmlAttribute(entry, required)) continue;
        report(true, startOf(entry), what + ": it has no " + required + "= attribute, which disables the parser");
        valid = false;
    }
    int groups = 0;
    if (xmlAttribute(entry, "pattern") && !checkPattern(entry, "pattern", what, &groups)) valid = false;
    if (!valid) {
        *parserDisabled = true;
        return;
    }
    for (const char* slot : {"file", "line", "pos"}) {
        const char* value = xmlAttribute(entry, slot);
        if (!value || !*value) continue;
        int number = std::atoi(value);
        if (number <= groups && number >= 0) continue;
        report(false, valueOf(entry, slot),
               what + ": " + slot + "=\"" + value + "\" names a group the pattern does not have (it has " +
                   std::to_string(groups) + ")");
    }
}

void Checker::checkParsers(const XmlNode* root) {
    XmlNode* section = xmlSelect(root->parent, "/tinker-config/parsers");
    if (!section || !section->childIndex) {
        report(true, section ? startOf(section) : nullptr,
               "there is no <parsers> section with a parser in it: nothing is classified and the file types are "
               "not read");
        return;
    }
    for (const XmlNode* parser = section->firstChild; parser; parser = parser->next) {
        if (!parser->isElement()) continue;
        std::string name = parser->name;
        std::string where = "parser " + name;
        auto earlier = parserNames_.find(name);
        if (earlier != parserNames_.end()) {
            report(false, startOf(parser), "a second parser " + name + " replaces the one " + earlier->second);
        }
        checkAttributes(parser, kNoAttributes, where);
        bool disabled = false;
        int number[2] = {0, 0};
        for (const XmlNode* entry = parser->firstChild; entry; entry = entry->next) {
            if (!entry->isElement()) continue;
            bool isError = std::strcmp(entry->name, "error") == 0;
            if (!isError && std::strcmp(entry->name, "warning") != 0) {
                report(false, startOf(entry),
                       where + ": unknown element <" + entry->name + "> is ignored (an entry is <error> or <warning>)");
                continue;
            }
            std::string what = where + ", " + entry->name + " entry " + std::to_string(++number[isError ? 0 : 1]);
            checkEntry(entry, what, &disabled);
        }
        parserNames_[name] = disabled ? "disabled" : "defined before";
    }
}

void Checker::checkCommand(const XmlNode* command, const std::string& what) {
    checkAttributes(command, kCommandAttributes, what);
    const char* name = xmlAttribute(command, "name");
    const char* parser = xmlAttribute(command, "parser");
    if (!name || !parser) {
        report(true, startOf(command), what + ": it has no " + (name ? "parser" : "name") + "= attribute and is ignored");
        return;
    }
    commandParsers_.emplace_back(command, what);
    const char* prefix = xmlAttribute(command, "prefix");
    if (!prefix) return;
    for (const char* c = prefix; *c; ++c) {
        if (std::isupper(static_cast<unsigned char>(*c))) {
            report(false, valueOf(command, "prefix"),
                   what + ": the prefix " + prefix + " can never be reached, as typed prefixes are looked up in lower "
                                                     "case; write it in lower case");
            break;
        }
    }
    auto earlier = prefixOwners_.find(prefix);
    if (earlier != prefixOwners_.end()) {
        report(false, valueOf(command, "prefix"),
               what + ": the prefix " + prefix + " is also the prefix of " + earlier->second +
                   ", which can no longer be reached by it");
    }
    prefixOwners_[prefix] = what;
}

void Checker::checkTypes(const XmlNode* root) {
    XmlNode* section = xmlSelect(root->parent, "/tinker-config/types");
    if (!section || !section->childIndex) {
        report(true, section ? startOf(section) : nullptr, "there is no <types> section with a file type in it");
        return;
    }
    int typeNumber = 0;
    for (const XmlNode* type = section->firstChild; type; type = type->next) {
        if (!type->isElement()) continue;
        if (std::strcmp(type->name, "filetype") != 0) {
            report(false, startOf(type), std::string("<types>: unknown element <") + type->name +
                                             "> is ignored (a file type is <filetype>)");
            continue;
        }
        const char* filename = xmlAttribute(type, "filename");
        std::string what = "file type " + std::to_string(++typeNumber) + (filename ? std::string(" ") + filename : "");
        checkAttributes(type, kFileTypeAttributes, what);
        if (!filename) {
            report(false, startOf(type), what + ": it has no filename= attribute and is ignored");
            continue;
        }
        if (!checkPattern(type, "filename", what, nullptr)) continue;
        int commandNumber = 0;
        for (const XmlNode* command = type->firstChild; command; command = command->next) {
            if (!command->isElement()) continue;
            if (std::strcmp(command->name, "command") != 0) {
                report(false, startOf(command),
                       what + ": unknown element <" + command->name + "> is ignored (a command is <command>)");
                continue;
            }
            const char* name = xmlAttribute(command, "name");
            checkCommand(command, what + ", command " + std::to_string(++commandNumber) +
                                      (name ? std::string(" \"") + name + "\"" : std::string()));
        }
    }
}

std::vector<ConfigurationFinding> Checker::run() {
    XmlArena* arena = XmlArena::create(std::strlen(text_) + 4096);
    XmlNode* document = new (arena->allocateZeroed(sizeof(XmlNode))) XmlNode();
    document->kind = XmlDocument;
    if (!xmlParse(arena, document, text_, &trace_)) {
        const char* at = trace_.failedAt;
        const char* what = !at || !*at                          ? "the text ends inside a tag, comment or element"
                           : std::strncmp(at, "<!--", 4) == 0 ? "a comment that is not closed with -->"
                           : std::strncmp(at, "</", 2) == 0   ? "an end tag that does not close the open element"
                           : *at == '<'                       ? "a tag that is not well formed"
                                                              : "an attribute not written name=\"value\", or text out of place";
        report(true, at, std::string("the file is not well-formed XML: ") + what);
        arena->destroy();
        return findings_;
    }
    numberElements(document);
    const XmlNode* root = document->firstChild;
    while (root && !root->isElement()) root = root->next;
    if (!root || std::strcmp(root->name, "tinker-config") != 0) {
        report(true, root ? startOf(root) : nullptr,
               root ? std::string("the root element is <") + root->name +
                          ">, not <tinker-config>: nothing in the file is read"
                    : std::string("the file has no <tinker-config> element: nothing in it is read"));
        arena->destroy();
        return findings_;
    }
    checkAttributes(root, kNoAttributes, "<tinker-config>");
    std::map<std::string, int> seen;
    for (const XmlNode* section = root->firstChild; section; section = section->next) {
        if (!section->isElement()) continue;
        if (!listed(kSections, section->name)) {
            report(false, startOf(section), std::string("unknown element <") + section->name +
                                                "> is ignored (the sections are " + quoted(kSections) + ")");
        } else if (seen[section->name]++) {
            report(false, startOf(section), std::string("a second <") + section->name + "> section is ignored");
        }
    }
    checkSection(root, "colors", kColorAttributes);
    checkSection(root, "options", kOptionAttributes);
    checkParsers(root);
    if (xmlSelect(document, "/tinker-config/parsers") && xmlSelect(document, "/tinker-config/parsers")->childIndex) {
        checkTypes(root);
        // A command whose parser does not exist would run but never find an error.
        for (const auto& command : commandParsers_) {
            const char* parser = xmlAttribute(command.first, "parser");
            auto found = parserNames_.find(parser);
            if (found != parserNames_.end() && found->second != "disabled") continue;
            report(true, valueOf(command.first, "parser"),
                   command.second + ": the parser " + parser +
                       (found == parserNames_.end() ? " is not defined" : " is disabled") +
                       ", so no line of its output is classified");
        }
    }
    arena->destroy();
    std::stable_sort(findings_.begin(), findings_.end(), [](const ConfigurationFinding& a, const ConfigurationFinding& b) {
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    return findings_;
}

}  // namespace

std::vector<ConfigurationFinding> CheckConfigurationText(const char* text) {
    return Checker(text ? text : "").run();
}
