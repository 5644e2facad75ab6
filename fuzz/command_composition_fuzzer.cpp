// Puts arbitrary file names into configured commands and checks that the shell would give the
// program each name intact: the composed line, cut into words as /bin/sh cuts it, must be
// exactly the words of the configured command with the names taken as data (a leading '-' at
// the start of a word guarded by "./"), and must hold nothing the shell would act on beyond
// plain words. The input is: the command up to the first zero byte, then up to ten names
// separated by zero bytes. The command keeps only the characters of plain words, quotes,
// backslashes and placeholders, as a command whose own text runs code says nothing about names.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "session/command_composition.h"
#include "shell_word_split.h"

namespace {

std::string plainCommand(const std::string& raw) {
    std::string command;
    for (char ch : raw) {
        if (std::isalnum(static_cast<unsigned char>(ch)) || std::strchr("._/=+,:@%- \t'\"\\$", ch)) command += ch;
    }
    return command;
}

// The words the configured command gives with the names as data: placeholders cut out as the
// composition cuts them ($$ a dollar sign, a placeholder of an empty slot nothing).
bool expectedWords(const std::string& command, const PlaceholderTexts& names, std::vector<std::string>& words) {
    ShellWordSplitter splitter;
    std::string literal;
    for (size_t i = 0; i < command.size(); ++i) {
        if (command[i] == '$' && i + 1 < command.size() && command[i + 1] == '$') {
            literal += '$';
            ++i;
        } else if (command[i] == '$' && i + 1 < command.size() && std::isdigit(static_cast<unsigned char>(command[i + 1]))) {
            const String& name = names.slot[command[i + 1] - '0'];
            ++i;
            if (name.empty()) continue;
            splitter.text(literal);
            literal.clear();
            splitter.name(name.text());
        } else {
            literal += command[i];
        }
    }
    splitter.text(literal);
    return splitter.finish(words);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::string command = plainCommand(input.takeUntil(0));
    PlaceholderTexts names;
    for (int slot = 0; slot < PlaceholderTexts::kSlotCount; ++slot) names.slot[slot] = String(input.takeUntil(0).c_str());

    std::vector<std::string> expected;
    // A command with an open quote, or whose own text expands something, has no plain words.
    if (!expectedWords(command, names, expected)) return 0;

    String line = ComposeCommandLine(command.c_str(), names, CommandSyntax::PosixShell,
                                     [](const char* text) { return String(text); });
    ShellWordSplitter splitter;
    splitter.text(line.text());
    std::vector<std::string> received;
    FUZZ_CHECK(splitter.finish(received), "the shell would act on %s of [%s]", splitter.problem().c_str(),
               line.text());
    FUZZ_CHECK(received == expected, "[%s] gives %zu words, %zu expected", line.text(), received.size(),
               expected.size());
    return 0;
}
