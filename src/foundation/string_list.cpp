#include "foundation/string_list.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

#ifdef _WIN32
const char kReadTextMode[] = "rt";
const char kWriteTextMode[] = "wt+";
#else
const char kReadTextMode[] = "r";
const char kWriteTextMode[] = "w+";
#endif

// Lines longer than this are loaded in pieces of this size, one piece a line, so that a
// file without line ends cannot demand its whole size at once.
const int kMaxLineBuffer = 1 << 20;

int compareEntries(const void* a, const void* b) {
    return String::compareBytes(*static_cast<const char* const*>(a), *static_cast<const char* const*>(b));
}

}  // namespace

bool StringList::loadLines(const char* path) {
    std::FILE* file = std::fopen(path, kReadTextMode);
    if (!file) return false;

    char fixedBuffer[512];
    char* buffer = fixedBuffer;
    int bufferSize = static_cast<int>(sizeof fixedBuffer);
    long lineStart = 0;
    for (;;) {
        // The marker in the last byte tells a full buffer from a line that holds a zero byte.
        buffer[bufferSize - 1] = '\n';
        if (!std::fgets(buffer, bufferSize, file)) break;
        bool bufferFilled = buffer[bufferSize - 1] == 0 && buffer[bufferSize - 2] != '\n';
        if (bufferFilled && !std::feof(file) && bufferSize < kMaxLineBuffer) {
            // The line did not fit: read it again into a buffer twice as large.
            char* larger = new char[bufferSize * 2];
            if (buffer != fixedBuffer) delete[] buffer;
            buffer = larger;
            bufferSize *= 2;
            std::fseek(file, lineStart, SEEK_SET);
            continue;
        }
        int length = static_cast<int>(std::strlen(buffer));
        if (length > 0 && buffer[length - 1] == '\n') buffer[--length] = 0;
        append(String()).assignPart(buffer, 0, length);
        lineStart = std::ftell(file);
    }
    if (buffer != fixedBuffer) delete[] buffer;
    std::fclose(file);
    return true;
}

bool StringList::saveLines(const char* path) {
    std::FILE* file = std::fopen(path, kWriteTextMode);
    if (!file) return false;
    for (int i = 0; i < count(); ++i) {
        const String& line = *at(i);
        if (line.length() > 0) std::fwrite(line.text(), 1, line.length(), file);
        std::fputc('\n', file);
    }
    std::fclose(file);
    return true;
}

void StringList::sortInto(StringList& target) {
    std::vector<const char*> texts;
    texts.reserve(count());
    for (int i = 0; i < count(); ++i) {
        const String& element = *at(i);
        texts.push_back(element.text() ? element.text() : "");
    }
    if (!texts.empty()) std::qsort(texts.data(), texts.size(), sizeof(const char*), compareEntries);
    target.clear();
    for (const char* text : texts) target.append(String(text));
}
