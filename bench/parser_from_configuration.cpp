#include "parser_from_configuration.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "xml/xml_query.h"
#include "xml/xml_reader.h"

namespace {

// "/expression/letters" becomes the expression with "\/" as "/", and whether 'i' was given.
bool perlNotation(const std::string& delimited, std::string& perl, bool& caseless) {
    size_t close = delimited.size();
    while (close > 0 && delimited[close - 1] != '/') --close;
    if (delimited.empty() || delimited[0] != '/' || close <= 1) return false;
    std::string expression = delimited.substr(1, close - 2);
    perl.clear();
    for (size_t i = 0; i < expression.size(); ++i) {
        if (expression[i] == '\\' && i + 1 < expression.size() && expression[i + 1] == '/') continue;
        perl += expression[i];
    }
    caseless = delimited.find('i', close) != std::string::npos;
    return true;
}

int groupNumber(const char* value, int absent) {
    if (!value) return absent;
    return *value ? std::atoi(value) : absent;
}

void readEntries(XmlNode* parser, const char* kind, int kindNumber, std::vector<ParserEntry>& entries) {
    XmlNode* element = nullptr;
    for (const void* token = xmlNextChild(parser, kind, nullptr, &element); token;
         token = xmlNextChild(parser, kind, token, &element)) {
        ParserEntry entry;
        entry.kind = kindNumber;
        entry.delimited = xmlAttribute(element, "pattern");
        if (!perlNotation(entry.delimited, entry.perl, entry.caseless)) {
            std::fprintf(stderr, "not a delimited pattern: %s\n", entry.delimited.c_str());
            std::exit(2);
        }
        entry.fileGroup = groupNumber(xmlAttribute(element, "file"), -1);
        entry.lineGroup = groupNumber(xmlAttribute(element, "line"), 0);
        entry.columnGroup = groupNumber(xmlAttribute(element, "pos"), -1);
        entries.push_back(entry);
    }
}

}  // namespace

std::vector<ParserEntry> parserFromConfiguration(const std::string& configPath, const std::string& parserName) {
    if (!xmlLoadFile(configPath.c_str())) {
        std::fprintf(stderr, "cannot read %s\n", configPath.c_str());
        std::exit(2);
    }
    XmlNode* parser = xmlSelect(xmlCurrentDocument(), ("/tinker-config/parsers/" + parserName).c_str());
    if (!parser) {
        std::fprintf(stderr, "%s has no parser %s\n", configPath.c_str(), parserName.c_str());
        std::exit(2);
    }
    std::vector<ParserEntry> entries;
    readEntries(parser, "error", 1, entries);
    readEntries(parser, "warning", 2, entries);
    readEntries(parser, "note", 3, entries);
    xmlReleaseDocument();
    return entries;
}
