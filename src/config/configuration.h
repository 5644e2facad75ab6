#pragma once

#include "config/configuration_records.h"
#include "foundation/string_list.h"

// The load problems the user is told about; the numbers are the language file's message indices.
enum ConfigurationProblem {
    ProblemInvalidFilePattern = 15,  // with the expression as written
    ProblemCommandIncomplete = 16,
    ProblemInvalidParser = 17,  // with the parser's name
    ProblemNoFileTypes = 18,
};

// Receives every problem the loader finds, in the order found.
class ConfigurationReporter {
public:
    virtual ~ConfigurationReporter() = default;
    // argument is the offending name or expression, or none.
    virtual void report(ConfigurationProblem problem, const char* argument) = 0;
};

// The process-wide configuration. Colours and options survive every free; the rest lives from
// one BuildConfiguration to the next FreeConfiguration.
struct Configuration {
    ColorSet colors;
    Options options;
    ParserTable parsers;
    FileTypeList fileTypes;
    PrefixTable prefixes;
    String prefixList{""};
    // Changes whenever the records are built or freed, so that lookups may be remembered.
    uint64_t generation = 0;
};

Configuration& configuration();

// Builds the model from the current XML document; 1 when the parsers and types sections were
// found, 0 when the load stopped early (what was read so far stays).
int BuildConfiguration(ConfigurationReporter& reporter);
// Releases the document and every record but the colours and the options.
void FreeConfiguration();
// Appends every parser name in the table's iteration order.
void ListParserNames(StringList& names);
// The joined ":prefix" list for the host, empty when it is only a single empty prefix.
String PrefixListForHost();
