#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/build_session.h"
#include "session/output_window.h"
#include "config/configuration.h"
#include "support/plugin_fixture.h"
#include "support/session_setup.h"

namespace {

using Lines = std::vector<std::string>;

class OutputWindowTest : public PluginFixture {
protected:
    void SetUp() override {
        writeConfig(configWithCommand("true"));
        startPlugin();
        ColorSet& colors = configuration().colors;
        colors = ColorSet();
        colors.background = 1;
        colors.text = 7;
        colors.error = 12;
        colors.warning = 14;
        colors.numbers = 11;
    }
    // Opens the window over the session with the keys, then Esc.
    void run(const std::vector<KeyEvent>& keys) {
        for (const KeyEvent& key : keys) platform.keys.push_back(key);
        platform.keys.push_back(keyPress(VK_ESCAPE));
        ClearWindowArea(false);
        OutputWindow();
    }
    std::vector<std::string> manyLines(int count) {
        std::vector<std::string> lines;
        for (int i = 0; i < count; ++i) lines.push_back("line " + std::to_string(i));
        return lines;
    }
    BuildSession& state() { return session(); }
};

KeyEvent key(int code, unsigned control = 0) { return keyPress(code, control); }

}  // namespace

TEST_F(OutputWindowTest, LinesTakeTheirColoursAndTheSelectionIsSwapped) {
    fillSession({"plain", "E:a.c:1:1 error", "W:a.c:2:1 warning"});
    state().selected = 1;
    run({});
    EXPECT_EQ(host.rowText(0), "plain");
    EXPECT_EQ(host.attributeAt(0, 0), 0x17);
    EXPECT_EQ(host.attributeAt(79, 0), 0x17);  // padded to the full width
    EXPECT_EQ(host.attributeAt(0, 1), 0xC1);   // error colour 12 on 1, swapped
    EXPECT_EQ(host.attributeAt(0, 2), 0x1E);
    EXPECT_EQ(host.attributeAt(0, 3), 0x10);   // cleared rows: the background
    EXPECT_EQ(platform.cursorHides, 1);
    EXPECT_EQ(platform.consoleCloses, 1);
}

TEST_F(OutputWindowTest, NumbersColumnAndHorizontalOffset) {
    configuration().options.shownumbers = 1;
    fillSession({"abcdef", "E:x:1:1 an error line", "ab"});
    run({key(VK_RIGHT), key(VK_RIGHT), key(VK_RIGHT)});
    EXPECT_EQ(host.rowText(0), "000 def");
    EXPECT_EQ(host.attributeAt(0, 0), 0xB1);  // numbers colour, swapped on the selected line
    EXPECT_EQ(host.attributeAt(4, 0), 0x71);
    EXPECT_EQ(host.attributeAt(0, 1), 0x1B);
    EXPECT_EQ(host.attributeAt(4, 1), 0x1C);
    EXPECT_EQ(host.rowText(2), "002");  // shorter than the offset: only the number

    run({key(VK_INSERT)});  // toggled in memory only
    EXPECT_EQ(configuration().options.shownumbers, 0);
    EXPECT_EQ(host.rowText(0), "def");
    run({key(VK_LEFT), key(VK_LEFT, LEFT_CTRL_PRESSED), key(VK_LEFT)});
    EXPECT_EQ(state().horizontalOffset, 0);
}

TEST_F(OutputWindowTest, NumbersOfFourAndMoreDigitsAreOneColourWithTheirBlank) {
    configuration().options.shownumbers = 1;
    fillSession(manyLines(10001));
    for (int index : {1000, 10000}) {
        state().top = index - 1;
        state().selected = index - 1;
        run({});
        std::string number = std::to_string(index) + " ";
        EXPECT_EQ(host.rowText(1), number + "line " + std::to_string(index));
        for (size_t x = 0; x < number.size(); ++x) EXPECT_EQ(host.attributeAt(x, 1), 0x1B) << index << " at " << x;
        EXPECT_EQ(host.attributeAt(number.size(), 1), 0x17) << index;
        EXPECT_EQ(host.attributeAt(0, 0), 0xB1) << index;  // the selected line's number, swapped
    }
}

TEST_F(OutputWindowTest, LongLinesShowAMarkerAndCtrlRightBringsTheirEndIntoView) {
    std::string longLine(100, 'a');
    longLine.back() = 'Z';
    fillSession({"short", longLine, "E:f:1:1 error"});
    state().selected = 2;
    run({});
    EXPECT_EQ(host.row(1)[79], '>');
    EXPECT_EQ(host.attributeAt(79, 1), 0x17 | 0x0E);
    EXPECT_EQ(host.row(0)[79], ' ');
    run({key(VK_RIGHT, RIGHT_CTRL_PRESSED)});
    EXPECT_EQ(state().horizontalOffset, 21);
    EXPECT_EQ(host.rowText(1).back(), 'Z');
    EXPECT_EQ(host.rowText(1).size(), 79u);

    configuration().colors.background = 0;
    state().horizontalOffset = 0;
    run({});
    EXPECT_EQ(host.attributeAt(79, 1), 14);  // a plain attribute gets yellow
}

TEST_F(OutputWindowTest, PagingNeverLeavesBlankRowsBelowTheLastLine) {
    fillSession(manyLines(60));
    run({key(VK_NEXT), key(VK_NEXT), key(VK_NEXT)});
    EXPECT_EQ(state().selected, 59);
    EXPECT_EQ(state().top, 35);
    EXPECT_EQ(host.rowText(24), "line 59");
    run({key(VK_PRIOR)});
    EXPECT_EQ(state().selected, 34);
    EXPECT_EQ(state().top, 10);
    run({key(VK_HOME)});
    EXPECT_EQ(state().selected + state().top, 0);
    run({key(VK_END)});
    EXPECT_EQ(state().selected, 59);
    EXPECT_EQ(state().top, 35);
    run({key(VK_PRIOR), key(VK_PRIOR), key(VK_PRIOR)});
    EXPECT_EQ(state().selected + state().top, 0);

    fillSession(manyLines(10));  // fewer lines than a page
    state().selected = state().top = 0;
    run({key(VK_NEXT), key(VK_END)});
    EXPECT_EQ(state().selected, 9);
    EXPECT_EQ(state().top, 0);
}

TEST_F(OutputWindowTest, ArrowsScrollOneLineAtTheEdges) {
    fillSession(manyLines(30));
    std::vector<KeyEvent> downs(26, key(VK_DOWN));
    run(downs);
    EXPECT_EQ(state().selected, 26);
    EXPECT_EQ(state().top, 2);
    run(std::vector<KeyEvent>(10, key(VK_DOWN)));
    EXPECT_EQ(state().selected, 29);
    EXPECT_EQ(state().top, 5);
    EXPECT_EQ(host.rowText(24), "line 29");
    run(std::vector<KeyEvent>(25, key(VK_UP)));
    EXPECT_EQ(state().selected, 4);
    EXPECT_EQ(state().top, 4);
    run(std::vector<KeyEvent>(9, key(VK_UP)));
    EXPECT_EQ(state().selected + state().top, 0);
}

TEST_F(OutputWindowTest, DeleteKeepsOnlyClassifiedLines) {
    fillSession({"a", "E:f:1:1 one", "b", "c", "W:f:2:1 two", "d"});
    state().selected = 4;
    run({key(VK_DELETE)});
    EXPECT_EQ(outputLines(), (Lines{"E:f:1:1 one", "W:f:2:1 two"}));
    EXPECT_EQ(state().selected, 1);

    fillSession({"x", "y"});
    state().selected = 1;
    run({key(VK_DELETE), key(VK_RETURN)});  // Enter on the lone empty line does nothing
    EXPECT_EQ(outputLines(), (Lines{""}));
    EXPECT_EQ(state().selected, 0);
    EXPECT_TRUE(host.editorOpens.empty());
    EXPECT_EQ(platform.readsAfterKeysRanOut, 0);  // the window waited for the Esc

    configuration().options.autodelete = 1;
    fillSession({"x", "E:f:3:1 e", "y"});
    state().selected = 2;
    run({});
    EXPECT_EQ(outputLines(), (Lines{"E:f:3:1 e"}));
    EXPECT_EQ(state().selected, 0);
}

TEST_F(OutputWindowTest, AnEmptyOutputShowsOneEmptyLineAndF1ShowsHelp) {
    session().clearOutput();
    run({key(VK_F1), key('Q')});
    EXPECT_EQ(outputLines(), (Lines{""}));
    EXPECT_EQ(host.helpTopics, (Lines{"Contents"}));
}

TEST_F(OutputWindowTest, BottomBandDrawsOnlyTheLastTwentyRows) {
    for (int row = 0; row < 25; ++row) host.drawText(0, row, 0x4F, "editor text");
    session().mode = WindowBottomBand;
    fillSession(manyLines(40));
    run({key(VK_NEXT)});
    EXPECT_EQ(host.rowText(4), "editor text");
    EXPECT_EQ(host.rowText(5), "line 20");
    EXPECT_EQ(host.rowText(24), "line 39");
    EXPECT_EQ(state().selected, 20);
}

TEST_F(OutputWindowTest, InTheBandTheSelectedErrorKeepsALineBelowIt) {
    session().mode = WindowBottomBand;
    std::vector<std::string> lines = manyLines(40);
    lines[19] = "E:a.c:1:1 first";
    lines[30] = "E:a.c:2:1 second";
    lines[39] = "E:a.c:3:1 last";
    fillSession(lines);
    state().selected = 19;  // one past the band's last row when the window opens
    run({});
    EXPECT_EQ(host.rowText(23), "E:a.c:1:1 first");
    EXPECT_EQ(host.rowText(24), "line 20");
    run({key(VK_F8)});
    EXPECT_EQ(host.rowText(23), "E:a.c:2:1 second");
    EXPECT_EQ(host.rowText(24), "line 31");
    run({key(VK_F8)});  // nothing below the last line: it takes the bottom row
    EXPECT_EQ(host.rowText(24), "E:a.c:3:1 last");
    EXPECT_EQ(state().top, 20);
    run({key(VK_F8, SHIFT_PRESSED)});  // upwards the selection only needs to show
    EXPECT_EQ(state().selected, 30);
    EXPECT_EQ(state().top, 20);
}

TEST_F(OutputWindowTest, BottomBandOnALowConsoleStaysOnScreen) {
    platform.size = {80, 12};
    host.height = 12;
    session().mode = WindowBottomBand;
    fillSession(manyLines(40));
    run({key(VK_NEXT)});
    EXPECT_EQ(visibleRows(), 12);
    EXPECT_EQ(windowFirstRow(), 0);
    EXPECT_EQ(host.rowText(0), "line 12");
    EXPECT_EQ(host.rowText(11), "line 23");
}
