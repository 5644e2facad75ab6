#pragma once

#include <string>
#include <vector>

// A help file in the host's format: header lines (".Language=", ".PluginContents="), then
// topics, each starting with "@Name"; the "$" lines right after it are the topic's title.
struct HelpTopic {
    std::string name;
    std::vector<std::string> title;
    std::vector<std::string> lines;
};

struct HelpFile {
    std::string language;
    std::string pluginContents;
    std::vector<HelpTopic> topics;

    // Topic names compare ignoring case, as the host looks them up.
    const HelpTopic* find(const std::string& name) const;
};

bool loadHelpFile(const std::string& path, HelpFile& file);

// The file with the extension (".hlf", ".lng") in the directory whose ".Language=" line names
// the language, else the English one, else the first found; empty when there is none.
std::string findLanguageFile(const std::string& directory, const std::string& extension,
                             const std::string& language);

// One piece of a help line: plain text, #highlighted# text, or a ~link~@Topic@.
struct HelpSegment {
    enum Kind { Plain, Highlight, Link } kind = Plain;
    std::string text;
    std::string target;  // the topic of a link
};

std::vector<HelpSegment> parseHelpLine(const std::string& line);
