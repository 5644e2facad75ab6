#include "session/source_paths.h"

#include <cctype>
#include <vector>

#include "platform/platform.h"

namespace {

bool isSeparator(char ch) { return ch == '/' || ch == '\\'; }

bool exists(const String& path) { return platform().fileLastWriteTime(path.text()) != 0; }

// A character of a path as paths are compared: Windows file names ignore case.
char comparedCharacter(char ch) {
#ifdef _WIN32
    return static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
#else
    return ch;
#endif
}

}  // namespace

bool IsAbsolutePath(const char* path) { return isSeparator(path[0]) || (path[0] && path[1] == ':'); }

String NormalisePath(const char* path, char separator) {
    String normal("");
    const char* rest = path;
    if (rest[0] && rest[1] == ':') {
        normal.appendPart(rest, 0, 2);
        rest += 2;
    } else if (separator == '\\' && isSeparator(rest[0]) && isSeparator(rest[1]) && rest[2] && !isSeparator(rest[2])) {
        // \\server\share: the network prefix is no repeated separator.
        normal.append(separator);
        ++rest;
    }
    bool rooted = isSeparator(*rest);
    struct Segment {
        const char* text;
        int length;
        bool up() const { return length == 2 && text[0] == '.' && text[1] == '.'; }
    };
    std::vector<Segment> segments;
    while (*rest) {
        while (isSeparator(*rest)) ++rest;
        Segment segment{rest, 0};
        while (rest[segment.length] && !isSeparator(rest[segment.length])) ++segment.length;
        rest += segment.length;
        if (segment.length == 0 || (segment.length == 1 && segment.text[0] == '.')) continue;
        if (segment.up() && !segments.empty() && !segments.back().up()) {
            segments.pop_back();
        } else if (!segment.up() || !rooted) {
            // Above the root is the root itself.
            segments.push_back(segment);
        }
    }
    if (rooted) normal.append(separator);
    for (size_t i = 0; i < segments.size(); ++i) {
        if (i > 0) normal.append(separator);
        normal.appendPart(segments[i].text, 0, segments[i].length);
    }
    if (normal.empty()) normal.assign(".");
    return normal;
}

String JoinPath(const String& folder, const char* name, char separator) {
    if (IsAbsolutePath(name) || folder.empty()) return NormalisePath(name, separator);
    String joined(folder);
    joined.append(separator).append(name);
    return NormalisePath(joined.text(), separator);
}

bool SamePath(const char* a, const char* b) {
    char separator = platform().pathSeparator();
    String first = NormalisePath(a, separator);
    String second = NormalisePath(b, separator);
    if (first.length() != second.length()) return false;
    for (int i = 0; i < first.length(); ++i) {
        if (comparedCharacter(first.text()[i]) != comparedCharacter(second.text()[i])) return false;
    }
    return true;
}

String ResolveSourceFile(const char* file, const String* toolFolder, const String& workingDirectory) {
    char separator = platform().pathSeparator();
    if (IsAbsolutePath(file)) return NormalisePath(file, separator);
    String underWorkingDirectory = JoinPath(workingDirectory, file, separator);
    if (!toolFolder) return underWorkingDirectory;
    String underToolFolder = JoinPath(JoinPath(workingDirectory, toolFolder->text(), separator), file, separator);
    if (exists(underToolFolder) || !exists(underWorkingDirectory)) return underToolFolder;
    return underWorkingDirectory;
}
