#include "configuration_problem_count.h"

#include <cstring>

#include "regex/regex.h"
#include "xml/xml_query.h"

namespace {

// Patterns are compiled as the loader does: delimited, with the first-character shortcut.
bool compiles(const char* pattern) {
    Regex regex;
    return regex.compile(pattern, RegexDelimited | RegexFirstChars) == 1;
}

bool named(const XmlNode* node, const char* name) { return node->isElement() && std::strcmp(node->name, name) == 0; }

const XmlNode* firstChildNamed(const XmlNode* parent, const char* name) {
    for (const XmlNode* child = parent ? parent->firstChild : nullptr; child; child = child->next) {
        if (named(child, name)) return child;
    }
    return nullptr;
}

bool hasChildElement(const XmlNode* node) {
    for (const XmlNode* child = node->firstChild; child; child = child->next) {
        if (child->isElement()) return true;
    }
    return false;
}

bool validParserEntry(const XmlNode* entry) {
    const char* pattern = xmlAttribute(entry, "pattern");
    return pattern && xmlAttribute(entry, "file") && xmlAttribute(entry, "line") && compiles(pattern);
}

int invalidParserEntries(const XmlNode* parsers) {
    int problems = 0;
    for (const XmlNode* parser = parsers->firstChild; parser; parser = parser->next) {
        if (!parser->isElement()) continue;
        const char* columns = xmlAttribute(parser, "columns");
        if (columns && std::strcmp(columns, "characters") != 0 && std::strcmp(columns, "display") != 0) ++problems;
        for (const XmlNode* entry = parser->firstChild; entry; entry = entry->next) {
            bool kind = named(entry, "error") || named(entry, "warning") || named(entry, "note");
            if (kind && !validParserEntry(entry)) ++problems;
        }
    }
    return problems;
}

int fileTypeProblems(const XmlNode* types) {
    int problems = 0;
    for (const XmlNode* type = types->firstChild; type; type = type->next) {
        if (!named(type, "filetype")) continue;
        const char* filename = xmlAttribute(type, "filename");
        if (!filename) continue;
        if (!compiles(filename)) {
            ++problems;
            continue;
        }
        for (const XmlNode* command = type->firstChild; command; command = command->next) {
            if (named(command, "command") && (!xmlAttribute(command, "name") || !xmlAttribute(command, "parser"))) {
                ++problems;
            }
        }
    }
    return problems;
}

}  // namespace

int expectedConfigurationProblems(const XmlNode* document) {
    const XmlNode* root = firstChildNamed(document, "tinker-config");
    const XmlNode* parsers = firstChildNamed(root, "parsers");
    if (!parsers || !hasChildElement(parsers)) return 0;
    int problems = invalidParserEntries(parsers);
    const XmlNode* types = firstChildNamed(root, "types");
    if (!types || !hasChildElement(types)) return problems + 1;
    return problems + fileTypeProblems(types);
}
