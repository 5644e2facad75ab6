#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/terminal_escapes.h"
#include "support/plugin_fixture.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kPlainOutput = std::string(TINKER_TEST_DATA_DIR) + "/output/gcc_plain.txt";
const std::string kColourOutput = std::string(TINKER_TEST_DATA_DIR) + "/output/gcc_colour.txt";

class ColourCodes : public PluginFixture {
protected:
    // The lines and matches of a build that prints the file, in chunks of a few bytes so that
    // sequences are cut between reads.
    std::pair<Lines, Lines> buildPrinting(const std::string& path) {
        writeConfig(configWithCommand("dd if='" + path + "' bs=7 2>/dev/null"));
        if (started) {
            touchConfig();
        } else {
            startPlugin();
            started = true;
        }
        openCommandLine("make:a.c");
        return {outputLines(), outputMatches()};
    }
    bool started = false;
};

}  // namespace

TEST_F(ColourCodes, AColouredGccBuildIsClassifiedLikeAPlainOne) {
    auto plain = buildPrinting(kPlainOutput);
    ASSERT_EQ(plain.first.size(), 12u);
    EXPECT_EQ(plain.second[1], "E colours.c:4:5");
    EXPECT_EQ(plain.second[5], "W colours.c:5:14");
    auto coloured = buildPrinting(kColourOutput);
    EXPECT_EQ(platform.commandsRun.size(), 2u);
    EXPECT_NE(platform.commandsRun[0], platform.commandsRun[1]);
    EXPECT_EQ(coloured.first, plain.first);
    EXPECT_EQ(coloured.second, plain.second);

    // A log saved from the coloured build loads as the plain one.
    std::filesystem::copy_file(kColourOutput, directory.path("build.log"));
    std::filesystem::current_path(directory.path(""));
    host.panelItems = {"build.log"};
    openFromPluginsMenu(3);
    EXPECT_EQ(outputLines(), plain.first);
}

TEST(TerminalEscapes, SequencesGoEveryOtherByteStays) {
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"plain \x01 text", "plain \x01 text"},
        {"\x1b[01;31m\x1b[Kerror:\x1b[m\x1b[K x", "error: x"},
        {"a\x1b]8;;file:///x\x07link\x1b]8;;\x1b\\b", "alinkb"},  // OSC ended by BEL and by ESC backslash
        {"a\x1b" "7b\x1b(Bc", "abc"},                            // short sequences
        {"\x1b[1;2", ""},                                       // cut off by the line's end
        {"a\x1b]unterminated", "a"},
        {"a\x1b[12\x01z", "a\x01z"},  // a control byte aborts a CSI and stays
        {"tail\x1b", "tail"},
    };
    for (const Case& item : cases) {
        std::string buffer = item.input + '@';
        int length = RemoveTerminalEscapes(&buffer[0], static_cast<int>(item.input.size()));
        EXPECT_EQ(buffer.substr(0, static_cast<size_t>(length)), item.expected) << item.input;
        EXPECT_EQ(buffer[static_cast<size_t>(length)], '\0');
    }
}
