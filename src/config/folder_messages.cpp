#include "config/folder_messages.h"

#include <cstring>

namespace {

// Every such line holds this literal, and most other lines lack it: the bulk search of stored
// output looks for it beside a parser's own gates. The line itself is read by hand, which is
// many times faster than a pattern that allows a tool path and either quote.
const char kFolderMessageGate[] = "/.*?ing directory [`']/";

struct Tool {
    const char* name;
    size_t length;
};
const Tool kTools[] = {{"make", 4}, {"gmake", 5}, {"mingw32-make", 12}, {"ninja", 5}};

bool startsWith(const char* text, const char* prefix, size_t length) { return std::strncmp(text, prefix, length) == 0; }

// The first ": " in [text, end), nullptr when there is none.
const char* firstColonAndBlank(const char* text, const char* end) {
    for (const char* colon = text; (colon = static_cast<const char*>(std::memchr(colon, ':', size_t(end - colon))));
         ++colon) {
        if (colon + 1 < end && colon[1] == ' ') return colon;
    }
    return nullptr;
}

// Whether [begin, end) names make or ninja: a tool path, ".exe" and a recursion depth
// ("[2]") may surround the name.
bool namesTool(const char* begin, const char* end) {
    if (end > begin && end[-1] == ']') {
        const char* digits = end - 1;
        while (digits > begin && digits[-1] >= '0' && digits[-1] <= '9') --digits;
        if (digits == end - 1 || digits == begin || digits[-1] != '[') return false;
        end = digits - 1;
    }
    if (end - begin >= 4 && std::strncmp(end - 4, ".exe", 4) == 0) end -= 4;
    const char* name = end;
    while (name > begin && name[-1] != '/' && name[-1] != '\\') --name;
    for (const Tool& tool : kTools) {
        if (size_t(end - name) == tool.length && std::memcmp(name, tool.name, tool.length) == 0) return true;
    }
    return false;
}

}  // namespace

Regex& FolderMessagePattern() {
    // An object, not a pointer to one: unloading the module destroys it.
    static Regex pattern;
    static bool compiled = pattern.compile(kFolderMessageGate, RegexDelimited | RegexFirstChars) == 1;
    (void)compiled;
    return pattern;
}

FolderChange ReadFolderChange(const String& line, CaptureSpan& folder) {
    static const char kEntering[] = "Entering directory ";
    static const char kLeaving[] = "Leaving directory ";
    const char* text = line.text();
    if (!text) return FolderUnchanged;
    const char* end = text + line.length();
    const char* colon = firstColonAndBlank(text, end);
    if (!colon || !namesTool(text, colon)) return FolderUnchanged;
    const char* rest = colon + 2;
    FolderChange change = FolderUnchanged;
    if (startsWith(rest, kEntering, sizeof kEntering - 1)) {
        change = FolderEntered;
        rest += sizeof kEntering - 1;
    } else if (startsWith(rest, kLeaving, sizeof kLeaving - 1)) {
        change = FolderLeft;
        rest += sizeof kLeaving - 1;
    }
    if (!change || (*rest != '`' && *rest != '\'')) return FolderUnchanged;
    const char* start = rest + 1;
    while (end > start && (end[-1] == ' ' || end[-1] == '\t')) --end;
    // The folder is what stands between the opening quote and the last one.
    if (end - start < 2 || end[-1] != '\'') return FolderUnchanged;
    folder = CaptureSpan{int32_t(start - text), int32_t(end - 1 - text)};
    return change;
}
