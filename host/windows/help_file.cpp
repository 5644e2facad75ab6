#include "windows/help_file.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <fstream>

namespace {

std::string languageOf(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    std::string line;
    for (int i = 0; i < 50 && std::getline(input, line); ++i) {
        if (line.rfind(".Language=", 0) != 0) continue;
        std::string value = line.substr(10);
        size_t comma = value.find(',');
        if (comma != std::string::npos) value.resize(comma);
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
        return value;
    }
    return std::string();
}

bool hasExtension(const std::string& name, const std::string& extension) {
    return name.size() > extension.size() &&
           strcasecmp(name.c_str() + name.size() - extension.size(), extension.c_str()) == 0;
}

}  // namespace

const HelpTopic* HelpFile::find(const std::string& name) const {
    for (const HelpTopic& topic : topics) {
        if (strcasecmp(topic.name.c_str(), name.c_str()) == 0) return &topic;
    }
    return nullptr;
}

bool loadHelpFile(const std::string& path, HelpFile& file) {
    std::ifstream input(path, std::ios::binary);
    if (!input) return false;
    file = HelpFile();
    std::string line;
    HelpTopic* topic = nullptr;
    bool inTitle = false;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!topic && line.rfind(".Language=", 0) == 0) {
            file.language = line.substr(10, line.find(',') == std::string::npos ? std::string::npos : line.find(',') - 10);
        } else if (!topic && line.rfind(".PluginContents=", 0) == 0) {
            file.pluginContents = line.substr(16);
        } else if (line.size() > 1 && line[0] == '@' && line[1] != '-' && line[1] != '+') {
            file.topics.push_back(HelpTopic());
            topic = &file.topics.back();
            topic->name = line.substr(1);
            while (!topic->name.empty() && topic->name.back() == ' ') topic->name.pop_back();
            inTitle = true;
        } else if (topic) {
            if (inTitle && !line.empty() && line[0] == '$') {
                topic->title.push_back(line.substr(1));
                continue;
            }
            inTitle = false;
            topic->lines.push_back(line);
        }
    }
    // Blank lines that only separate a topic from the next are not part of it.
    for (HelpTopic& each : file.topics) {
        while (!each.lines.empty() && each.lines.back().find_first_not_of(' ') == std::string::npos) each.lines.pop_back();
    }
    return true;
}

std::string findLanguageFile(const std::string& directory, const std::string& extension,
                             const std::string& language) {
    std::vector<std::string> names;
    if (DIR* folder = opendir(directory.empty() ? "." : directory.c_str())) {
        while (dirent* entry = readdir(folder)) {
            if (hasExtension(entry->d_name, extension)) names.push_back(entry->d_name);
        }
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    std::string prefix = directory.empty() || directory.back() == '/' ? directory : directory + "/";
    std::string english;
    for (const std::string& name : names) {
        std::string named = languageOf(prefix + name);
        if (strcasecmp(named.c_str(), language.c_str()) == 0) return prefix + name;
        if (english.empty() && strcasecmp(named.c_str(), "English") == 0) english = prefix + name;
    }
    if (!english.empty()) return english;
    return names.empty() ? std::string() : prefix + names.front();
}

std::vector<HelpSegment> parseHelpLine(const std::string& line) {
    std::vector<HelpSegment> segments;
    HelpSegment current;
    auto finish = [&](HelpSegment::Kind next) {
        if (!current.text.empty() || current.kind == HelpSegment::Link) segments.push_back(current);
        current = HelpSegment();
        current.kind = next;
    };
    for (size_t i = 0; i < line.size(); ++i) {
        char ch = line[i];
        // A doubled marker is the character itself.
        if ((ch == '#' || ch == '~' || ch == '@') && i + 1 < line.size() && line[i + 1] == ch) {
            current.text += ch;
            ++i;
            continue;
        }
        if (ch == '#' && current.kind != HelpSegment::Link) {
            finish(current.kind == HelpSegment::Highlight ? HelpSegment::Plain : HelpSegment::Highlight);
        } else if (ch == '~' && current.kind != HelpSegment::Link) {
            finish(HelpSegment::Link);
        } else if (ch == '~' && current.kind == HelpSegment::Link) {
            // The link's text ends; "@Topic@" follows.
            size_t open = line.find('@', i + 1);
            size_t close = open == std::string::npos ? std::string::npos : line.find('@', open + 1);
            if (open == i + 1 && close != std::string::npos) {
                current.target = line.substr(open + 1, close - open - 1);
                i = close;
            }
            finish(HelpSegment::Plain);
        } else {
            current.text += ch;
        }
    }
    if (!current.text.empty()) {
        if (current.kind == HelpSegment::Link) current.kind = HelpSegment::Plain;
        segments.push_back(current);
    }
    return segments;
}
