#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "session/command_composition.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

// The program receives its arguments from the real /bin/sh and prints each as "[argument]".
const char kArgumentPrinter[] = "sh -c 'for a; do printf \"[%s]\\n\" \"$a\"; done' printer";

// The lines the printer shows for these arguments.
Lines printed(const Lines& arguments) {
    Lines lines;
    for (const std::string& argument : arguments) {
        std::string text = "[" + argument + "]";
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            lines.push_back(text.substr(start, end - start));
        }
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string composed(const char* command, const Lines& slots) {
    PlaceholderTexts names;
    for (size_t i = 0; i < slots.size(); ++i) names.slot[i] = String(slots[i].c_str());
    names.slot[9] = String();  // a group that took no part
    return ComposeCommandLine(command, names, CommandSyntax::PosixShell,
                              [](const char* text) { return String("<").concat(text); })
        .text();
}

class HostileNames : public PluginFixture {};

}  // namespace

TEST(CommandComposition, PlaceholderDigitsAndDollars) {
    // The command's own text is expanded ("<" marks each expanded stretch); the names are not.
    EXPECT_EQ(composed("$$1 cost $", {"x"}), "<$1 cost $");
    EXPECT_EQ(composed("$x$", {"x"}), "<$x$");
    EXPECT_EQ(composed("[$12]", {"ab", "a"}), "<['a'<2]");  // one digit only
    EXPECT_EQ(composed("[$3][$9]", {"ab", "a"}), "<[][]");   // beyond the groups; took no part
    EXPECT_EQ(composed("%PATH% $$$0", {"q"}), "<%PATH% $\"\"'q'");
    EXPECT_EQ(composed("", {"q"}), "");
}

// Names an attacker or an unlucky user gives a file: each must reach the program as itself,
// wherever the command puts it, and run nothing.
TEST_F(HostileNames, ReachTheProgramIntactWhateverTheQuotingAroundThem) {
    setenv("TINKER_TEST_WORD", "expanded", 1);
    std::string command = "printf '[%TINKER_TEST_WORD%]\\n'; " + std::string(kArgumentPrinter) +
                          " $0 \"$0\" '$0' -o \"$1.o\" x$0 \\$0 \"\\$0\" $$$0 \"$$$0\"";
    std::string config = configWithCommand(command);
    const std::string anyFileName = "/^(.*)\\.c$/";
    config.replace(config.find(anyFileName), anyFileName.size(), anyFileName + "s");  // newlines too
    writeConfig(config);
    startPlugin();
    std::filesystem::current_path(directory.path(""));
    const Lines names = {
        "d$(touch X).c", "b`touch X`.c",  "x\";touch X;\".c", "'$(touch X)'.c", "q\"uote.c", "$HOME.c",
        "-leading.c",    "it's.c",         "back\\slash.c",    "end\\.c",        "sp ace.c",  "*.c",
        "~tilde.c",      "new\nline.c",    "%TINKER_TEST_WORD%.c", "a;b&c|d>e<f.c", "${HOME}\\$x\\`.c",
    };
    for (const std::string& name : names) {
        openCommandLine("make:" + name);
        std::string stem = name.substr(0, name.size() - 2);
        std::string option = name[0] == '-' ? "./" + name : name;
        EXPECT_EQ(outputLines(), printed({"expanded", option, option, option, "-o", (name[0] == '-' ? "./" : "") + stem + ".o",
                                          "x" + name, option, option, "$" + name, "$" + name}))
            << name;
        EXPECT_TRUE(host.messageBoxes.empty()) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(directory.path("X")));

    // Repeating the build puts the same name in again.
    openFromPluginsMenu(1);
    EXPECT_EQ(outputLines().at(1), "[${HOME}\\$x\\`.c]");

    // From the editor the whole path goes in: a folder name is as harmless as a file name.
    std::string source = directory.write("$(touch X)/`touch X`/main.c", "int main;\n");
    host.windows.push_back({WTYPE_EDITOR, false, source});
    host.currentWindow = 1;
    openFromEditor(2);
    EXPECT_EQ(outputLines().at(2), "[" + source + "]");
    EXPECT_FALSE(std::filesystem::exists(directory.path("X")));
}
