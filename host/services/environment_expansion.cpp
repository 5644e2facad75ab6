#include "services/environment_expansion.h"

#include <cctype>
#include <cstdlib>

namespace {

bool isNameCharacter(char ch) { return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_'; }

// Appends the variable's value, or the reference as written when it is not set.
void appendVariable(std::string& out, const std::string& name, const std::string& written) {
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    out += value ? value : written;
}

}  // namespace

std::string expandEnvironmentReferences(const std::string& text) {
    std::string out;
    size_t i = 0;
    if (!text.empty() && text[0] == '~' && (text.size() == 1 || text[1] == '/')) {
        appendVariable(out, "HOME", "~");
        i = 1;
    }
    while (i < text.size()) {
        char ch = text[i];
        if (ch == '$' && i + 1 < text.size() && text[i + 1] == '{') {
            size_t close = text.find('}', i + 2);
            if (close != std::string::npos) {
                appendVariable(out, text.substr(i + 2, close - i - 2), text.substr(i, close - i + 1));
                i = close + 1;
                continue;
            }
        } else if (ch == '$') {
            size_t end = i + 1;
            while (end < text.size() && isNameCharacter(text[end])) ++end;
            if (end > i + 1) {
                appendVariable(out, text.substr(i + 1, end - i - 1), text.substr(i, end - i));
                i = end;
                continue;
            }
        } else if (ch == '%') {
            size_t close = text.find('%', i + 1);
            if (close != std::string::npos && close > i + 1) {
                appendVariable(out, text.substr(i + 1, close - i - 1), text.substr(i, close - i + 1));
                i = close + 1;
                continue;
            }
        }
        out += ch;
        ++i;
    }
    return out;
}
