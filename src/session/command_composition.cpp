#include "session/command_composition.h"

#include <vector>

namespace {

// A stretch of the configured command: its own text, or the name a placeholder stands for.
struct CommandPiece {
    bool isName;
    String text;
};

// The configured command cut at its placeholders; $$ becomes $, and a placeholder whose slot
// holds no text leaves nothing. The command's own stretches have their environment references
// expanded.
std::vector<CommandPiece> cutAtPlaceholders(const char* command, const PlaceholderTexts& names,
                                            const std::function<String(const char*)>& expandEnvironment) {
    std::vector<CommandPiece> pieces;
    String literal("");
    auto endLiteral = [&] {
        if (!literal.empty()) pieces.push_back(CommandPiece{false, expandEnvironment(literal.text())});
        literal.assign("");
    };
    for (const char* scan = command; *scan; ++scan) {
        if (scan[0] != '$') {
            literal.append(scan[0]);
        } else if (scan[1] == '$') {
            literal.append('$');
            ++scan;
        } else if (scan[1] >= '0' && scan[1] <= '9') {
            const String& name = names.slot[scan[1] - '0'];
            ++scan;
            if (name.empty()) continue;
            endLiteral();
            pieces.push_back(CommandPiece{true, name});
        } else {
            literal.append('$');
        }
    }
    endLiteral();
    return pieces;
}

bool startsAnOption(const String& name, bool atWordStart) { return atWordStart && name.text()[0] == '-'; }

// Writes for /bin/sh, following the quoting of the command's own text as it goes: a name outside
// quotes goes in single quotes, inside double quotes its $ ` " \ are escaped, inside single
// quotes its ' closes, escapes and reopens them.
class ShellLineWriter {
public:
    explicit ShellLineWriter(String& line) : line_(line) {}

    void writeCommandText(const String& text) {
        for (int i = 0; i < text.length(); ++i) {
            line_.append(text.text()[i]);
            follow(text.text()[i]);
        }
    }

    void writeName(const String& name) {
        // A backslash of the command's own would escape the name's first character: with a
        // newline after it, it becomes a line continuation and goes.
        if (escaped_) line_.append('\n');
        const char* guard = startsAnOption(name, wordStart_) ? "./" : "";
        switch (quote_) {
            case Quote::None:
                // "" keeps a $ of the command's own from joining the quote as $'...'.
                if (dollar_) line_.append("\"\"");
                line_.append('\'').append(guard);
                appendSingleQuoted(name);
                line_.append('\'');
                break;
            case Quote::Double:
                // Closing and reopening keeps a $ of the command's own from taking the name.
                if (dollar_) line_.append("\"\"");
                line_.append(guard);
                for (int i = 0; i < name.length(); ++i) {
                    char ch = name.text()[i];
                    if (ch == '$' || ch == '`' || ch == '"' || ch == '\\') line_.append('\\');
                    line_.append(ch);
                }
                break;
            case Quote::Single:
                line_.append(guard);
                appendSingleQuoted(name);
                break;
        }
        escaped_ = false;
        dollar_ = false;
        wordStart_ = false;
    }

    void finish() {}

private:
    enum class Quote { None, Double, Single };

    void appendSingleQuoted(const String& name) {
        for (int i = 0; i < name.length(); ++i) {
            if (name.text()[i] == '\'') {
                line_.append("'\\''");
            } else {
                line_.append(name.text()[i]);
            }
        }
    }

    void follow(char ch) {
        dollar_ = false;
        if (escaped_) {
            escaped_ = false;
            if (ch != '\n') wordStart_ = false;
            return;
        }
        switch (quote_) {
            case Quote::Single:
                if (ch == '\'') {
                    quote_ = Quote::None;
                } else {
                    wordStart_ = false;
                }
                return;
            case Quote::Double:
                if (ch == '\\') {
                    escaped_ = true;
                } else if (ch == '"') {
                    quote_ = Quote::None;
                } else {
                    dollar_ = ch == '$';
                    wordStart_ = false;
                }
                return;
            case Quote::None:
                break;
        }
        switch (ch) {
            case '\\':
                escaped_ = true;
                break;
            case '\'':
                quote_ = Quote::Single;
                break;
            case '"':
                quote_ = Quote::Double;
                break;
            case ' ': case '\t': case '\n': case ';': case '&': case '|': case '(': case ')': case '<': case '>':
                wordStart_ = true;
                break;
            default:
                dollar_ = ch == '$';
                wordStart_ = false;
                break;
        }
    }

    String& line_;
    Quote quote_ = Quote::None;
    bool escaped_ = false;    // the last character was an unquoted or double-quoted backslash
    bool dollar_ = false;     // the last character was a $ that the shell may still act on
    bool wordStart_ = true;   // nothing of the current word is written yet, quotes aside
};

// Writes for the C runtime's splitting: outside quotes a name is put in quotes of its own;
// inside, its '"' becomes \" and the backslashes that would run into a quote are doubled, as
// 2n backslashes before a quote stand for n, and 2n+1 for n and the quote itself.
class ArgumentLineWriter {
public:
    explicit ArgumentLineWriter(String& line) : line_(line) {}

    void writeCommandText(const String& text) {
        for (int i = 0; i < text.length(); ++i) {
            char ch = text.text()[i];
            if (ownQuote_) {
                // A quote opening right after the name: the name's own quote serves as that one.
                if (ch == '"') {
                    ownQuote_ = false;
                    continue;
                }
                closeOwnQuote();
            }
            follow(ch);
        }
    }

    void writeName(const String& name) {
        bool guard = startsAnOption(name, wordStart_);
        if (!inQuotes_) {
            // The command's backslashes just before stood for themselves; before the quote
            // they must be doubled to keep doing so.
            appendBackslashes(templateRun_);
            line_.append('"');
            inQuotes_ = true;
            ownQuote_ = true;
            nameRun_ = templateRun_ = 0;
        }
        if (guard) {
            line_.append(".\\");
            nameRun_ = templateRun_ = 0;
        }
        for (int i = 0; i < name.length(); ++i) {
            char ch = name.text()[i];
            if (ch == '\\') {
                line_.append(ch);
                ++nameRun_;
                continue;
            }
            if (ch == '"') {
                appendBackslashes(nameRun_ + templateRun_);
                line_.append('\\');
            }
            line_.append(ch);
            nameRun_ = templateRun_ = 0;
        }
        wordStart_ = false;
    }

    void finish() {
        if (ownQuote_) closeOwnQuote();
    }

private:
    void appendBackslashes(int count) {
        for (int i = 0; i < count; ++i) line_.append('\\');
    }

    void closeOwnQuote() {
        appendBackslashes(nameRun_);
        line_.append('"');
        ownQuote_ = false;
        inQuotes_ = false;
        nameRun_ = templateRun_ = 0;
    }

    void follow(char ch) {
        if (ch == '\\') {
            line_.append(ch);
            ++templateRun_;
            wordStart_ = false;
            return;
        }
        if (ch == '"') {
            // A name's backslashes before the command's quote are doubled: the quote keeps the
            // meaning the command gave it, the backslashes stand for themselves.
            appendBackslashes(nameRun_);
            line_.append(ch);
            if (templateRun_ % 2 == 0) {
                inQuotes_ = !inQuotes_;
            } else {
                wordStart_ = false;
            }
            nameRun_ = templateRun_ = 0;
            return;
        }
        line_.append(ch);
        nameRun_ = templateRun_ = 0;
        wordStart_ = !inQuotes_ && (ch == ' ' || ch == '\t');
    }

    String& line_;
    bool inQuotes_ = false;
    bool ownQuote_ = false;  // the quote opened for the name just written is still open
    int nameRun_ = 0;        // backslashes of a name at the end of the line
    int templateRun_ = 0;    // backslashes of the command's own at the end of the line
    bool wordStart_ = true;
};

template <typename Writer>
String writeLine(const std::vector<CommandPiece>& pieces) {
    String line("");
    Writer writer(line);
    for (const CommandPiece& piece : pieces) {
        if (piece.isName) {
            writer.writeName(piece.text);
        } else {
            writer.writeCommandText(piece.text);
        }
    }
    writer.finish();
    return line;
}

}  // namespace

String ComposeCommandLine(const char* configuredCommand, const PlaceholderTexts& names, CommandSyntax syntax,
                          const std::function<String(const char*)>& expandEnvironment) {
    std::vector<CommandPiece> pieces = cutAtPlaceholders(configuredCommand ? configuredCommand : "", names,
                                                         expandEnvironment);
    if (syntax == CommandSyntax::WindowsArguments) return writeLine<ArgumentLineWriter>(pieces);
    return writeLine<ShellLineWriter>(pieces);
}
