#include "reference_line_split.h"

std::vector<std::string> referenceLineSplit(const std::string& output, size_t capacity) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < output.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(output[i]);
        if (byte == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (byte == '\r') {
            if (i + 1 < output.size() && output[i + 1] == '\n') {
                lines.push_back(line);
                ++i;
            }
            line.clear();
        } else {
            if (line.size() == capacity) {
                lines.push_back(line);
                line.clear();
            }
            line += byte < 0x20 ? ' ' : static_cast<char>(byte);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}
