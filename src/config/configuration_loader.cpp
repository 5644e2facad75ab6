#include <cctype>
#include <cstdlib>
#include <cstring>

#include "config/configuration.h"
#include "regex/regex.h"
#include "xml/xml_query.h"
#include "xml/xml_reader.h"

namespace {

const uint32_t kPatternFlags = RegexDelimited | RegexFirstChars;

bool isYes(const char* value) {
    if (!value) return false;
    static const char yes[] = "yes";
    for (int i = 0; i < 3; ++i) {
        if (std::tolower(static_cast<unsigned char>(value[i])) != yes[i]) return false;
    }
    return value[3] == 0;
}

void readColor(const XmlNode* colors, const char* name, int32_t& color) {
    if (const char* value = xmlAttribute(colors, name)) color = std::atoi(value);
}

void readColors(XmlNode* document, ColorSet& colors) {
    XmlNode* section = xmlSelect(document, "/tinker-config/colors");
    if (!section) return;
    readColor(section, "background", colors.background);
    readColor(section, "error", colors.error);
    readColor(section, "warning", colors.warning);
    readColor(section, "text", colors.text);
    readColor(section, "numbers", colors.numbers);
}

void readOptions(XmlNode* document, Options& options) {
    XmlNode* section = xmlSelect(document, "/tinker-config/options");
    if (!section) return;
    options.shownumbers = isYes(xmlAttribute(section, "shownumbers"));
    options.autodelete = isYes(xmlAttribute(section, "autodelete"));
    options.beep = isYes(xmlAttribute(section, "beep"));
    if (const char* value = xmlAttribute(section, "beeptime")) options.beeptime = std::atoi(value);
    if (const char* value = xmlAttribute(section, "wavefile")) options.wavefile.assign(value);
}

Regex* compilePattern(const char* pattern) {
    Regex* regex = new Regex;
    if (regex->compile(pattern, kPatternFlags)) return regex;
    delete regex;
    return nullptr;
}

// Reads one error or warning entry; false when it is invalid.
bool readParserPattern(const XmlNode* entry, ParserPattern& pattern) {
    const char* expression = xmlAttribute(entry, "pattern");
    const char* file = xmlAttribute(entry, "file");
    const char* line = xmlAttribute(entry, "line");
    if (!expression || !file || !line) return false;
    pattern.regex = compilePattern(expression);
    if (!pattern.regex) return false;
    pattern.expression.assign(expression);
    pattern.file = *file ? std::atoi(file) : -1;
    pattern.line = std::atoi(line);
    if (const char* pos = xmlAttribute(entry, "pos")) pattern.pos = std::atoi(pos);
    return true;
}

// Reads the entries of one kind into the parser; an invalid entry removes the parser (which
// parser then becomes none), and every later entry is still checked.
void readParserEntries(const XmlNode* element, const char* kind, Parser*& parser, ParserTable& parsers,
                       ConfigurationReporter& reporter) {
    XmlNode* entry = nullptr;
    for (const void* token = xmlNextChild(element, kind, nullptr, &entry); token;
         token = xmlNextChild(element, kind, token, &entry)) {
        ParserPattern pattern;
        if (!readParserPattern(entry, pattern)) {
            reporter.report(ProblemInvalidParser, element->name);
            parsers.remove(element->name);
            parser = nullptr;
            continue;
        }
        if (!parser) {
            delete pattern.regex;
            continue;
        }
        pattern.gate = parser->gates.add(*pattern.regex);
        if (pattern.gate < 0) parser->everyPatternGated = false;
        List<ParserPattern>& patterns = std::strcmp(kind, "error") == 0 ? parser->errors : parser->warnings;
        patterns.append(pattern);
    }
}

bool readParsers(XmlNode* document, ParserTable& parsers, ConfigurationReporter& reporter) {
    XmlNode* section = xmlSelect(document, "/tinker-config/parsers");
    if (!section || !section->childIndex) return false;
    for (XmlNode* element = section->firstChild; element; element = element->next) {
        if (!element->isElement()) continue;
        Parser* parser = new Parser;
        parser->name.assign(element->name);
        parsers.insertOrReplace(element->name, std::unique_ptr<Parser>(parser));
        readParserEntries(element, "error", parser, parsers, reporter);
        readParserEntries(element, "warning", parser, parsers, reporter);
    }
    return true;
}

// The element's own text and the text of its other children but comments, in document order,
// with control bytes turned into blanks.
void readCommandText(const XmlNode* element, String& text) {
    text.assign(element->value ? element->value : "");
    for (const XmlNode* child = element->firstChild; child; child = child->next) {
        if (child->kind != XmlComment && child->value) text.append(child->value);
    }
    char* bytes = text.buffer();
    for (int i = 0; i < text.length(); ++i) {
        if (static_cast<unsigned char>(bytes[i]) < 32) bytes[i] = ' ';
    }
}

void readCommands(XmlNode* typeElement, FileType* type, Configuration& model, ConfigurationReporter& reporter) {
    XmlNode* element = nullptr;
    for (const void* token = xmlNextChild(typeElement, "command", nullptr, &element); token;
         token = xmlNextChild(typeElement, "command", token, &element)) {
        const char* name = xmlAttribute(element, "name");
        const char* parser = name ? xmlAttribute(element, "parser") : nullptr;
        if (!name || !parser) {
            reporter.report(ProblemCommandIncomplete, nullptr);
            continue;
        }
        BuildCommand* command = new BuildCommand{String(name), String(parser), String(""), PlaceholderTexts()};
        if (const char* prefix = xmlAttribute(element, "prefix")) {
            model.prefixes.findOrInsert(prefix) = PrefixEntry{type, command};
            model.prefixList.append(':').append(prefix);
        }
        readCommandText(element, command->command);
        type->commands.append(command);
    }
}

bool readTypes(XmlNode* document, Configuration& model, ConfigurationReporter& reporter) {
    XmlNode* section = xmlSelect(document, "/tinker-config/types");
    if (!section || !section->childIndex) {
        reporter.report(ProblemNoFileTypes, nullptr);
        return false;
    }
    XmlNode* element = nullptr;
    for (const void* token = xmlNextChild(section, "filetype", nullptr, &element); token;
         token = xmlNextChild(section, "filetype", token, &element)) {
        const char* filename = xmlAttribute(element, "filename");
        if (!filename) continue;
        Regex* regex = compilePattern(filename);
        if (!regex) {
            reporter.report(ProblemInvalidFilePattern, filename);
            continue;
        }
        FileType* type = new FileType;
        type->regex = regex;
        model.fileTypes.append(type);
        readCommands(element, type, model, reporter);
    }
    return true;
}

}  // namespace

Configuration& configuration() {
    static Configuration model;
    return model;
}

int BuildConfiguration(ConfigurationReporter& reporter) {
    Configuration& model = configuration();
    ++model.generation;
    XmlNode* document = xmlCurrentDocument();
    readColors(document, model.colors);
    readOptions(document, model.options);
    if (!readParsers(document, model.parsers, reporter)) return 0;
    return readTypes(document, model, reporter) ? 1 : 0;
}

void FreeConfiguration() {
    Configuration& model = configuration();
    ++model.generation;
    xmlReleaseDocument();
    model.parsers.clear();
    model.prefixes.clear();
    model.fileTypes.releaseAll();
    model.prefixList.assign("");
}

void ListParserNames(StringList& names) {
    ParserTable& parsers = configuration().parsers;
    parsers.resetIteration();
    const char* name = nullptr;
    std::unique_ptr<Parser>* parser = nullptr;
    while (parsers.next(&name, &parser)) names.append(String(name));
}

String PrefixListForHost() {
    const String& list = configuration().prefixList;
    return list.equals(":") ? String("") : list;
}
