#include "services/language_file.h"

#include <fstream>

namespace {

const size_t kMaxLineBytes = 1023;

}  // namespace

std::string decodeMessageLine(const std::string& line) {
    std::string body = line.substr(1, kMaxLineBytes);
    while (!body.empty() && (body.back() == ' ' || body.back() == '\t' || body.back() == '\r')) body.pop_back();
    if (!body.empty() && body.back() == '"') body.pop_back();
    std::string text;
    for (size_t i = 0; i < body.size(); ++i) {
        char ch = body[i];
        if (ch == '"' && i + 1 < body.size() && body[i + 1] == '"') {
            text += '"';
            ++i;
        } else if (ch == '\\' && i + 1 < body.size()) {
            char escaped = body[++i];
            switch (escaped) {
                case 'n': text += '\n'; break;
                case 'r': text += '\r'; break;
                case 'b': text += '\b'; break;
                case 't': text += '\t'; break;
                case '\\': text += '\\'; break;
                case '"': text += '"'; break;
                default: text += '\\'; text += escaped; break;
            }
        } else {
            text += ch;
        }
    }
    return text;
}

bool loadLanguageFile(const std::string& path, LanguageFile& file) {
    std::ifstream input(path, std::ios::binary);
    if (!input) return false;
    file.messages.clear();
    std::string line;
    while (std::getline(input, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(".Language=", 0) == 0) {
            file.language = line.substr(10, line.find(',') == std::string::npos ? std::string::npos : line.find(',') - 10);
        } else if (!line.empty() && line[0] == '"') {
            file.messages.push_back(decodeMessageLine(line));
        }
    }
    return true;
}
