#include "reference_line_split.h"

#include "foundation/terminal_escapes.h"

namespace {

// A finished line as stored: its escape sequences gone, then its other control bytes blank.
std::string storedForm(std::string line) {
    line.push_back('\0');
    line.resize(static_cast<size_t>(RemoveTerminalEscapes(&line[0], static_cast<int>(line.size()) - 1)));
    for (char& ch : line) {
        if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    }
    return line;
}

}  // namespace

std::vector<std::string> referenceLineSplit(const std::string& output, size_t capacity) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < output.size(); ++i) {
        char byte = output[i];
        if (byte == '\n') {
            lines.push_back(storedForm(line));
            line.clear();
        } else if (byte == '\r') {
            if (i + 1 < output.size() && output[i + 1] == '\n') {
                lines.push_back(storedForm(line));
                ++i;
            }
            line.clear();
        } else {
            if (line.size() == capacity) {
                lines.push_back(storedForm(line));
                line.clear();
            }
            line += byte;
        }
    }
    if (!line.empty()) lines.push_back(storedForm(line));
    return lines;
}
