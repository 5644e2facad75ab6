#include "session/source_columns.h"

#include <cstdio>
#include <cstring>

int CharacterAtDisplayColumn(const char* text, int length, int column) {
    int start = 1;  // the screen column where the character at index begins
    int index = 0;
    for (; index < length; ++index) {
        int width = text[index] == '\t' ? kToolTabSize - (start - 1) % kToolTabSize : 1;
        if (column < start + width) return index;
        start += width;
    }
    return index + (column > start ? column - start : 0);
}

bool ReadFileLine(const char* path, int line, String& text) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    char buffer[4096];
    int number = 1;
    bool found = false;
    String collected("");
    while (std::fgets(buffer, sizeof buffer, file)) {
        size_t length = std::strlen(buffer);
        bool ended = length > 0 && buffer[length - 1] == '\n';
        if (number == line) {
            collected.appendPart(buffer, 0, static_cast<int>(length));
            found = true;
        }
        if (ended && number++ == line) break;
    }
    std::fclose(file);
    if (!found) return false;
    int length = collected.length();
    while (length > 0 && (collected.text()[length - 1] == '\n' || collected.text()[length - 1] == '\r')) --length;
    text = collected.mid(0, length);
    return true;
}
