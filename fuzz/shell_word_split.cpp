#include "shell_word_split.h"

#include <cstring>

namespace {

// After an unquoted or double-quoted $, these leave it a plain dollar sign (dash's reading;
// $' is left out as bash reads it as a quote of its own).
bool endsDollar(int next, bool quoted) {
    return next < 0 || next == ' ' || next == '\t' || next == '\n' || next == '"' || (quoted && next == '\'');
}

}  // namespace

void ShellWordSplitter::fail(const char* what, size_t at) {
    if (problem_.empty()) problem_ = std::string(what) + " at " + std::to_string(at);
}

void ShellWordSplitter::endWord() {
    if (wordExists_) words_.push_back(word_);
    word_.clear();
    wordExists_ = false;
}

void ShellWordSplitter::text(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        int next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : -1;
        if (escaped_) {
            escaped_ = false;
            if (ch == '\n') continue;
            if (quote_ == Quote::Double && !std::strchr("$`\"\\", ch)) append('\\');
            append(ch);
            continue;
        }
        if (quote_ == Quote::Single) {
            if (ch == '\'') {
                quote_ = Quote::None;
            } else {
                append(ch);
            }
            continue;
        }
        if (quote_ == Quote::Double) {
            if (ch == '\\') {
                escaped_ = true;
            } else if (ch == '"') {
                quote_ = Quote::None;
            } else if (ch == '`') {
                fail("a command substitution", i);
            } else if (ch == '$' && !endsDollar(next, true)) {
                fail("an expansion", i);
            } else {
                append(ch);
            }
            continue;
        }
        bool wordStart = word_.empty() && !wordExists_;
        switch (ch) {
            case '\\': escaped_ = true; break;
            case '\'': quote_ = Quote::Single; wordExists_ = true; break;
            case '"': quote_ = Quote::Double; wordExists_ = true; break;
            case ' ': case '\t': endWord(); break;
            case '$':
                if (!endsDollar(next, false)) fail("an expansion", i);
                append(ch);
                break;
            default:
                if (ch == '\0' || std::strchr("`;&|<>()\n*?[{}!", ch)) {
                    fail("an operator, substitution or glob", i);
                } else if (wordStart && (ch == '#' || ch == '~')) {
                    fail("a comment or tilde", i);
                }
                append(ch);
                break;
        }
    }
}

void ShellWordSplitter::name(const std::string& name) {
    escaped_ = false;
    if (word_.empty() && !name.empty() && name[0] == '-') word_ += "./";
    word_ += name;
    wordExists_ = true;
}

bool ShellWordSplitter::finish(std::vector<std::string>& words) {
    if (quote_ != Quote::None || escaped_) fail("an open quote or escape", 0);
    endWord();
    words = words_;
    return problem_.empty();
}
