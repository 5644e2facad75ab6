#pragma once

#include <string>
#include <vector>

// The host's reading of a plug-in language file: the lines that begin with a double quote are
// the messages, numbered from 0; everything else is skipped.
struct LanguageFile {
    std::string language;  // the name in ".Language=Name,Description"
    std::vector<std::string> messages;
};

bool loadLanguageFile(const std::string& path, LanguageFile& file);
// Decodes one message line (from its opening quote): escapes, doubled quotes, the closing quote
// and trailing blanks.
std::string decodeMessageLine(const std::string& line);
